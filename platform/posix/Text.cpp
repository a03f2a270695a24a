// Code page 932 to UTF-8 with glibc's iconv.
#include "platform/Text.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace platform {

std::string Cp932ToUtf8(const std::string& text) {
  iconv_t converter = ::iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out;
  std::vector<char> buffer(4 * text.size() + 16);
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t done = ::iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (done == static_cast<std::size_t>(-1) && (errno == EILSEQ || errno == EINVAL)) {
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    } else if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      break;
    }
  }
  ::iconv_close(converter);
  return out;
}

std::string Cp932ToProgramText(const std::string& text) { return Cp932ToUtf8(text); }

std::string PathToProgramText(const std::string& path) { return path; }

}  // namespace platform

#include <unistd.h>

namespace platform {

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

}  // namespace platform
