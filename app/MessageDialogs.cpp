// Showing a message dialog through the face.
#include "app/MessageDialogs.h"

#include "app/Face.h"

int CMessageBoxDialog::DoModal(CFace& face) const { return face.ShowMessageDialog(*this); }
