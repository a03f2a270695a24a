// The result codes of reading, building and updating a font, as the updater
// reports them (the end messages are chosen by them) and as sabun's
// subcommands exit with them.
#pragma once

namespace result_code {

inline constexpr int kDone = 0;             // a read or a build that succeeded
inline constexpr int kRevised = 0;          // the font revised and verified
inline constexpr int kFailed = 1;           // the font or the patch could not be read or does not fit
inline constexpr int kStopped = 6;          // the user stopped the run at a report
inline constexpr int kPatchUnreadable = 7;  // the patch cannot be loaded (inside a build)
inline constexpr int kNoHeadTable = 9;      // the revised font has no usable head table (inside a build)
inline constexpr int kReplaceFailed = 10;   // the revised font could not be put in place
inline constexpr int kCannotWrite = 11;     // the temporary file cannot be written (a full temporary folder)
inline constexpr int kRereadFailed = 12;    // the font put in place cannot be read back
inline constexpr int kVerifyMismatch = 13;  // the font put in place reads back different

}  // namespace result_code
