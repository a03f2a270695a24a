// The program's string table: every message the user reads, by number.
#pragma once

namespace string_id {
constexpr int kAboutMenu = 101;
constexpr int kConfirmStopRevision = 102;
constexpr int kRevisionSucceeded = 105;
constexpr int kRevisionStopped = 106;
constexpr int kNoFontFound = 107;
constexpr int kNoFontToRevise = 108;
constexpr int kSetupError = 109;
constexpr int kUnsupportedOs = 110;
constexpr int kNotAdministrator = 111;
constexpr int kNoSourceFonts = 112;
constexpr int kSourceReadFailed = 114;
constexpr int kConfirmStopSearch = 116;
constexpr int kPatchListFailed = 119;
constexpr int kRebuildFailed = 121;
constexpr int kRevisedReadFailed = 123;
constexpr int kVerifyMismatch = 124;
}  // namespace string_id

// The text of string `id`; empty for a number the table does not hold.
const char* LoadProgramString(int id);

// The end message of a run whose first non-zero result code is `code`, with
// the font's full path in place of its "%s".
int EndMessageId(int code);

// The program's title.
extern const char* const kProgramTitle;
