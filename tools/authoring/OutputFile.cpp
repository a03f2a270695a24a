// Complete-or-absent output files: write beside, then rename over.
#include "tools/authoring/OutputFile.h"

#include <filesystem>
#include <system_error>

#include "platform/Files.h"
#include "platform/TempFiles.h"

namespace authoring {

bool WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code failed;
  if (fs::is_directory(target, failed)) {
    error = path + " is a folder";
    return false;
  }
  std::string partial;
  if (!platform::FindFreshPath(path + ".partial-", "", partial) ||
      !platform::WriteNewFile(partial, bytes.data(), bytes.size(), platform::NewFileAccess::kUsual)) {
    error = "cannot write " + path;
    return false;
  }
  fs::rename(partial, target, failed);
  if (failed) {
    fs::remove(partial, failed);
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace authoring
