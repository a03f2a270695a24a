// Complete-or-absent output files: write beside, then rename over.
#include "tools/authoring/OutputFile.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "platform/Files.h"

namespace authoring {

bool WriteOutputFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  std::error_code failed;
  if (fs::is_directory(target, failed)) {
    error = path + " is a folder";
    return false;
  }
  std::random_device seed;
  const fs::path partial = target.parent_path() / (target.filename().string() + ".partial-" + std::to_string(seed()));
  if (!platform::WriteNewFile(partial.string(), bytes.data(), bytes.size())) {
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
