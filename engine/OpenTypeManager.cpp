// Construction and release of a font's update state.
#include "engine/OpenTypeManager.h"

#include "patch/MakeSabunData.h"

COpenTypeManager::COpenTypeManager() = default;

COpenTypeManager::~COpenTypeManager() { ReleaseFont(); }

void COpenTypeManager::ReleaseFont() {
  newImage.clear();
  newImage.shrink_to_fit();
  patch.reset();
  COpenTypeFont::ReleaseFont();
}
