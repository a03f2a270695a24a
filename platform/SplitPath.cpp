// Splitting a path by the rules of the C runtime's _splitpath.
#include "platform/Runtime.h"

namespace platform {

SplitPathParts SplitPath(const std::string& path) {
  SplitPathParts parts;
  std::size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') {
    parts.drive = path.substr(0, 2);
    start = 2;
  }
  // The last separator and the last dot after it, stepping over the trail
  // byte of each double-byte character.
  std::size_t lastSeparator = std::string::npos;
  std::size_t lastDot = std::string::npos;
  for (std::size_t i = start; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (c == '\\' || c == '/') {
      lastSeparator = i;
      lastDot = std::string::npos;
    } else if (c == '.') {
      lastDot = i;
    }
  }
  std::size_t nameStart = start;
  if (lastSeparator != std::string::npos) {
    parts.folder = path.substr(start, lastSeparator + 1 - start);
    nameStart = lastSeparator + 1;
  }
  if (lastDot != std::string::npos) {
    parts.baseName = path.substr(nameStart, lastDot - nameStart);
    parts.extension = path.substr(lastDot);
  } else {
    parts.baseName = path.substr(nameStart);
  }
  return parts;
}

}  // namespace platform
