// Test file locations and scratch folders.
#include "tests/support/TestFiles.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/Files.h"
#include "platform/Runtime.h"

namespace test_support {

std::string HostPath(const std::string& linuxPath) {
#ifdef _WIN32
  std::string path = "Z:" + linuxPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
#else
  return linuxPath;
#endif
}

std::string SourcePath(const std::string& relative) {
  return HostPath(std::string(TESSEL_SOURCE_DIR) + "/" + relative);
}

bool HostFileExists(const std::string& linuxPath) { return platform::FileExists(HostPath(linuxPath)); }

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path, bytes)) throw std::runtime_error("cannot read " + path);
  return bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  if (!platform::WriteFileReplacing(path, bytes.data(), bytes.size())) throw std::runtime_error("cannot write " + path);
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  std::string temp;
  if (!platform::GetTempFolder(temp)) throw std::runtime_error("no temporary folder");
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string candidate = temp + "tessel-test-" + std::to_string(platform::TimeSeconds()) + "-" +
                                  std::to_string(platform::RandomNumber()) + "-" + std::to_string(counter++);
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      m_path = candidate + platform::kPathSeparator;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  // Read-only files made by a test must not keep the folder alive.
  for (auto it = std::filesystem::recursive_directory_iterator(m_path, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 error);
  }
  std::filesystem::remove_all(m_path, error);
}

}  // namespace test_support
