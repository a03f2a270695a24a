// Where tests find their files: the project's own test data, the fonts of
// Debian's packages, and fresh scratch folders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// A path below the source tree ("tests/data/x.otf"), usable by the program
// on this platform (under Wine a Linux path becomes a Z: path).
std::string SourcePath(const std::string& relative);

// A Linux path (a package's font) as this platform's program sees it.
std::string HostPath(const std::string& linuxPath);

// Whether the file at a Linux path exists (the package is installed).
bool HostFileExists(const std::string& linuxPath);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A fresh, empty folder in the temporary folder, removed with everything in
// it when the object goes. Path() ends with the platform's separator.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + name; }

 private:
  std::string m_path;
};

}  // namespace test_support
