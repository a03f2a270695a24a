// Fresh names from the time and a pseudo-random number.
#include "platform/TempFiles.h"

#include <utility>

#include "platform/Files.h"
#include "platform/Runtime.h"

namespace platform {
namespace {

// The names are predictable, so another file may stand under one; a few
// hundred draws of the random part find a free one.
constexpr int kDraws = 512;

// The first name `form` makes under which no file stands; false when `form`
// fails or every draw is taken.
template <typename Form>
bool FirstFreeName(Form form, std::string& path) {
  for (int draw = 0; draw < kDraws; ++draw) {
    std::string candidate;
    if (!form(candidate)) return false;
    if (!FileExists(candidate)) {
      path = std::move(candidate);
      return true;
    }
  }
  return false;
}

}  // namespace

bool FormTempPath(const char* suffix, std::string& path) {
  std::string folder;
  if (!GetTempFolder(folder)) return false;
  path = folder + std::to_string(TimeSeconds()) + std::to_string(RandomNumber() % 255) + suffix;
  return true;
}

bool FindFreshPath(const std::string& prefix, const std::string& suffix, std::string& path) {
  return FirstFreeName(
      [&](std::string& name) {
        name = prefix + std::to_string(TimeSeconds()) + std::to_string(RandomNumber()) + suffix;
        return true;
      },
      path);
}

bool FindFreshTempPath(const char* suffix, std::string& path) {
  return FirstFreeName([&](std::string& name) { return FormTempPath(suffix, name); }, path);
}

bool CreateTempFile(const char* suffix, const std::uint8_t* data, std::size_t size, std::string& path) {
  for (int draw = 0; draw < kDraws; ++draw) {
    std::string candidate;
    if (!FindFreshTempPath(suffix, candidate)) return false;
    if (WriteNewFile(candidate, data, size)) {
      path = candidate;
      return true;
    }
    // Taken between the look and the creation: another name. Any other
    // failure would only repeat.
    if (!FileExists(candidate)) return false;
  }
  return false;
}

}  // namespace platform
