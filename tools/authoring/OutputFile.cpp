// Complete-or-absent output files: write beside, then rename over.
#include "tools/authoring/OutputFile.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace authoring {

bool WriteFreshFile(const std::string& path, const void* data, std::size_t size) {
  // "x": the file is created here and now, never an existing one.
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (file == nullptr) return false;
  const bool written = (size == 0 || std::fwrite(data, 1, size, file) == size);
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  std::remove(path.c_str());
  return false;
}

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
  if (!WriteFreshFile(partial.string(), bytes.data(), bytes.size())) {
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
