// Fuzz target: the patch maker on a pair derived from the input. The
// installed font is a small fixed font; its revision takes the input as its
// CFF table and a raised revision; when the input's first byte is odd and it
// has four more, the revised font also gains a table under those four bytes
// as its tag (any tag, the known ones and the refused ones alike), holding
// the rest of the input. A patch that is made must give back the
// revised font when the updater's own code applies it (the maker checks that
// itself); a pair it refuses must be refused with a reason.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzFont.h"
#include "tools/authoring/PatchMaker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> installed = fuzz_font::SmallFont({0x2A, 0x2A, 0x2A}, 0x00010000);
  std::vector<std::uint8_t> revised = fuzz_font::SmallFont(std::vector<std::uint8_t>(data, data + size), 0x00010042);
  if (size >= 5 && (data[0] & 1) != 0) {
    revised = fuzz_font::WithTable(revised, data + 1, std::vector<std::uint8_t>(data + 5, data + size));
  }
  authoring::MakeResult result;
  std::string error;
  if (!authoring::MakePatch(installed, revised, result, error) && error.empty()) std::abort();
  return 0;
}
