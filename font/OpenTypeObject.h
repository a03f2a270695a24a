// The common base of the font model and of the patch objects.
#pragma once

#include <cstdint>

// Every object records the kind code its parser set (-1 until then). Nothing
// branches on it; it tells a reader of a dump what each object is.
class COpenTypeObject {
 public:
  COpenTypeObject() = default;
  virtual ~COpenTypeObject() = default;

  std::int32_t kind = -1;
};

// Object kind codes recorded by the parsers.
namespace kind_code {
constexpr std::int32_t kManager = 0;
constexpr std::int32_t kHeader = 1;
constexpr std::int32_t kTable = 2;
constexpr std::int32_t kHeadTable = 19;
constexpr std::int32_t kNameTable = 23;
constexpr std::int32_t kPatch = 27;
constexpr std::int32_t kPatchRecord = 28;
constexpr std::int32_t kOldSegment = 29;
constexpr std::int32_t kNewSegment = 30;
constexpr std::int32_t kHeadInfo = 32;
constexpr std::int32_t kNameTableInfo = 70;
constexpr std::int32_t kNameRecord = 71;
}  // namespace kind_code
