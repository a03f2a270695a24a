// Construction and release of a font's update state.
#include "engine/OpenTypeManager.h"

#include "patch/MakeSabunData.h"

COpenTypeManager::COpenTypeManager() = default;

COpenTypeManager::~COpenTypeManager() { ReleaseFont(); }

void COpenTypeManager::ReleaseFont() {
  newImage.Release();
  patch.reset();
  COpenTypeFont::ReleaseFont();
}
