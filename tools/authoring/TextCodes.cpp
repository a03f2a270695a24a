// Text conversion through iconv, with the descriptor released on every path.
#include "tools/authoring/TextCodes.h"

#include <iconv.h>

#include <cerrno>

namespace authoring {
namespace {

class CIconv {
 public:
  CIconv(const char* from, const char* to) : m_handle(iconv_open(to, from)) {}
  ~CIconv() {
    if (Valid()) iconv_close(m_handle);
  }
  CIconv(const CIconv&) = delete;
  CIconv& operator=(const CIconv&) = delete;

  bool Valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return m_handle; }

 private:
  iconv_t m_handle;
};

}  // namespace

bool ConvertText(const char* from, const char* to, std::string_view input, std::string& output) {
  output.clear();
  CIconv converter(from, to);
  if (!converter.Valid()) return false;
  std::string buffer(input.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char* out = buffer.data();
  std::size_t outLeft = buffer.size();
  while (inLeft > 0) {
    if (iconv(converter.Get(), &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) continue;
    if (errno != E2BIG) return false;  // EILSEQ or EINVAL: no form for it, or cut short
    const std::size_t used = buffer.size() - outLeft;
    buffer.resize(buffer.size() * 2);
    out = buffer.data() + used;
    outLeft = buffer.size() - used;
  }
  // Flush any shift state (none for these encodings, but iconv asks for it).
  if (iconv(converter.Get(), nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return false;
  buffer.resize(buffer.size() - outLeft);
  output = std::move(buffer);
  return true;
}

}  // namespace authoring
