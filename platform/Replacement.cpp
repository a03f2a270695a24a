// The names of the files put beside a font while it is replaced, and the
// removal of those a killed run left behind.
#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/ReachedFiles.h"
#include "platform/Runtime.h"

namespace platform {
namespace {

constexpr const char* kMarker = ".tessel-";
constexpr const char* kEnd = ".part";

}  // namespace

namespace detail {

bool IsReplacementOf(const std::string& fileName, const std::string& name) {
  const std::string prefix = fileName + kMarker;
  const std::string end = kEnd;
  if (name.size() <= prefix.size() + end.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - end.size(), end.size(), end) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < name.size() - end.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

}  // namespace detail

std::string ReplacementName(const std::string& path) {
  return path + kMarker + std::to_string(TimeSeconds()) + std::to_string(RandomNumber()) + kEnd;
}

void RemoveReplacementLeftovers(const std::string& path) {
  const SplitPathParts parts = SplitPath(path);
  const std::string folder = parts.drive + parts.folder;
  const std::string fileName = parts.baseName + parts.extension;
  FolderListing listing(folder.empty() ? std::string(".") + kPathSeparator : folder);
  if (!listing.IsOpen()) return;
  FolderEntry entry;
  while (listing.Next(entry)) {
    if ((entry.attributes & kAttributeFolder) == 0 && detail::IsReplacementOf(fileName, entry.name)) {
      RemoveFile(folder + entry.name);
    }
  }
}

}  // namespace platform
