// How the font reader and the update engine report progress and learn of a
// stop: the callback, the overall percentage rules and the texts.
#pragma once

#include <string>

// overall percentage, step percentage (10, 20, 30, 40, 55, 75, 90, 100), the
// first and second text line, the progress window passed through unchanged.
// A non-zero answer asks the caller to stop.
using ProgressCallback = int (*)(int overall, int step, const char* line1, const char* line2, void* window);

// (font index x 100) div font count + step div font count, integer divisions:
// steps 10 to 75.
int OverallPercent(int fontIndex, int fontCount, int step);

// font index x 100 / font count + step / font count in single precision,
// truncated toward zero: steps 90 and 100.
int OverallPercentFloat(int fontIndex, int fontCount, int step);

// Reports `step` of the font at `fontPath`: the title line is kRevising with
// the full path, the second line `line2`. Reports only when both a callback
// and a window are given, and returns the callback's answer, or 0 (go on)
// when nothing was reported: without a window nothing can be stopped.
int ReportStep(ProgressCallback progress, void* window, int overall, int step, const std::string& fontPath,
               const std::string& line2);

// `format` with its one "%s" replaced by `argument`, a path or a part of one
// as the file functions give it, converted to the program's text (no other
// directive is interpreted, so a path holding '%' is shown as it is).
std::string FormatText(const char* format, const std::string& argument);

// The progress texts of one font.
namespace progress_text {
inline constexpr const char* kRevising = "%sの改訂をしています。";
inline constexpr const char* kOpening = "%sのファイルをオープンしています。";
inline constexpr const char* kReading = "%sのファイルを読み込んでいます。";
inline constexpr const char* kTablesRead = "タグデータを読み込みました。";
inline constexpr const char* kRecalculating = "%sのファイルにチェックサムを再計算しています。";
inline constexpr const char* kCreating = "%sのファイルを作成しています。";
inline constexpr const char* kCopying = "テンポラリフォルダからファイルをコピーしています。";
}  // namespace progress_text
