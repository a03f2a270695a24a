// Overall percentages and the formatting of progress texts.
#include "font/Progress.h"

#include <cstring>

#include "platform/Text.h"

int OverallPercent(int fontIndex, int fontCount, int step) {
  if (fontCount < 1) fontCount = 1;
  return (fontIndex * 100) / fontCount + step / fontCount;
}

int OverallPercentFloat(int fontIndex, int fontCount, int step) {
  if (fontCount < 1) fontCount = 1;
  const float value = static_cast<float>(fontIndex * 100) / static_cast<float>(fontCount) +
                      static_cast<float>(step) / static_cast<float>(fontCount);
  return static_cast<int>(value);
}

std::string FormatText(const char* format, const std::string& argument) {
  std::string text(format);
  const std::size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, platform::PathToProgramText(argument));
  return text;
}

int ReportStep(ProgressCallback progress, void* window, int overall, int step, const std::string& fontPath,
               const std::string& line2) {
  if (progress == nullptr || window == nullptr) return 0;
  const std::string line1 = FormatText(progress_text::kRevising, fontPath);
  return progress(overall, step, line1.c_str(), line2.c_str(), window);
}
