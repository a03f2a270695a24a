// Reading a "VKTP" patch (placeholder until the reader lands).
#include "patch/MakeSabunData.h"

CSabunTagObject::CSabunTagObject() { kind = kind_code::kPatchRecord; }
CSabunTagObject::~CSabunTagObject() = default;
CMakeSabunData::CMakeSabunData() { kind = kind_code::kPatch; }
CMakeSabunData::~CMakeSabunData() = default;
