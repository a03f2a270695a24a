// Fonts the font and engine tests share: faces of Debian's Noto CJK
// collection (only tables the updater knows), STIX and Linux Libertine fonts
// (readable names, but FFTM and MATH tables the updater refuses), and a
// recorder for progress reports.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/FontBuilder.h"
#include "tests/support/TestFiles.h"

namespace font_test {

inline const char* const kNotoCollection = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
inline const char* const kStixRegular = "/usr/share/fonts/opentype/stix/STIXGeneral-Regular.otf";
inline const char* const kStixSizeOne = "/usr/share/fonts/opentype/stix/STIXSizeOneSym-Regular.otf";
inline const char* const kLibertineRegular = "/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf";
inline const char* const kBiolinumKeyboard = "/usr/share/fonts/opentype/linux-libertine/LinBiolinum_K.otf";

// Face `index` of the Noto Sans CJK collection as a standalone font (read
// once per test program); empty when the package is missing.
inline const std::vector<std::uint8_t>& NotoFace(std::uint32_t index) {
  static std::map<std::uint32_t, std::vector<std::uint8_t>> faces;
  static std::vector<std::uint8_t> collection;
  auto found = faces.find(index);
  if (found != faces.end()) return found->second;
  if (collection.empty() && test_support::HostFileExists(kNotoCollection)) {
    collection = test_support::ReadBytes(test_support::HostPath(kNotoCollection));
  }
  return faces[index] = test_support::ExtractCollectionFace(collection, index);
}

// A package font's bytes; empty when the package is missing.
inline std::vector<std::uint8_t> PackageFont(const char* linuxPath) {
  if (!test_support::HostFileExists(linuxPath)) return {};
  return test_support::ReadBytes(test_support::HostPath(linuxPath));
}

struct Report {
  int overall;
  int step;
  std::string line1;
  std::string line2;
};

// Passed as the progress window: the callback records every report there and
// answers non-zero at `stopAtStep`.
struct ProgressRecorder {
  std::vector<Report> reports;
  int stopAtStep = -1;

  static int Callback(int overall, int step, const char* line1, const char* line2, void* window) {
    auto* self = static_cast<ProgressRecorder*>(window);
    self->reports.push_back({overall, step, line1, line2});
    return step == self->stopAtStep ? 1 : 0;
  }

  std::vector<int> Steps() const {
    std::vector<int> steps;
    for (const Report& report : reports) steps.push_back(report.step);
    return steps;
  }
};

}  // namespace font_test
