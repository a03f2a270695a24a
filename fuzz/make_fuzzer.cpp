// Fuzz target: the patch maker on a pair derived from the input. The
// installed font is a small fixed font; its revision takes the input as its
// CFF table and a raised revision. A patch that is made must give back the
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
  const std::vector<std::uint8_t> revised =
      fuzz_font::SmallFont(std::vector<std::uint8_t>(data, data + size), 0x00010042);
  authoring::MakeResult result;
  std::string error;
  if (!authoring::MakePatch(installed, revised, result, error) && error.empty()) std::abort();
  return 0;
}
