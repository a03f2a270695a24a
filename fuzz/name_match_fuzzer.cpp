// Fuzz target: the search's matching of a file against the candidates. The
// input's first line is the file name, the rest the file's bytes (a font or
// not), read back by the identity read as the search reads it.
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/Files.h"
#include "search/FolderCheckCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CFolderCheckCtrl* search = [] {
    auto* ctrl = new CFolderCheckCtrl();
    for (const char* base : {"B", "VeldGothic-W3", "Demo"}) {
      auto candidate = std::make_unique<SearchCandidate>();
      candidate->fontFileName = std::string(base) + ".otf";
      candidate->baseName = base;
      candidate->fontName = "Demo";
      candidate->expectedRevision = 0x00010000;
      candidate->resourceNumber = 2001;
      ctrl->candidates.push_back(std::move(candidate));
    }
    return ctrl;
  }();
  static const std::string path = "/tmp/tessel-name-match-fuzz-" + std::to_string(::getpid()) + ".otf";
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(data, '\n', size));
  const std::size_t nameLength = end != nullptr ? static_cast<std::size_t>(end - data) : size;
  const std::string fileName(reinterpret_cast<const char*>(data), nameLength);
  const std::size_t rest = end != nullptr ? size - nameLength - 1 : 0;
  platform::WriteFileReplacing(path, end != nullptr ? end + 1 : data, rest);
  search->MatchCandidate(path, fileName);
  search->FindCandidateForPath("/fonts/" + fileName, 0x00010000);
  return 0;
}
