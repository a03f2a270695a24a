// The texts of the string table.
#include "app/StringTable.h"

#include "font/ResultCode.h"
#include "resources/texts.h"

namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {101, TEXT_101}, {102, TEXT_102}, {105, TEXT_105}, {106, TEXT_106}, {107, TEXT_107}, {108, TEXT_108},
    {109, TEXT_109}, {110, TEXT_110}, {111, TEXT_111}, {112, TEXT_112}, {114, TEXT_114}, {116, TEXT_116},
    {119, TEXT_119}, {121, TEXT_121}, {123, TEXT_123}, {124, TEXT_124},
};

}  // namespace

const char* LoadProgramString(int id) {
  for (const Entry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return "";
}

int EndMessageId(int code) {
  switch (code) {
    case result_code::kRevised:
      return string_id::kRevisionSucceeded;
    case result_code::kFailed:
      return string_id::kSourceReadFailed;
    case result_code::kReplaceFailed:
    case result_code::kCannotWrite:
      return string_id::kRebuildFailed;
    case result_code::kRereadFailed:
      return string_id::kRevisedReadFailed;
    case result_code::kVerifyMismatch:
      return string_id::kVerifyMismatch;
    default:
      return string_id::kRevisionStopped;
  }
}

const char* const kProgramTitle = TEXT_PROGRAM_TITLE;
