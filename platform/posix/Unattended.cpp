// A run nobody watches, on Linux: standard output and one syslog line.
#include "platform/Unattended.h"

#include <syslog.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

bool NoOneSeesTheScreen() { return false; }

bool WriteStandardOutput(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

void WriteSystemLog(const std::string& source, const std::vector<std::string>& lines, bool failed) {
  if (lines.empty()) return;
  ::openlog(source.c_str(), LOG_PID, LOG_USER);
  ::syslog(failed ? LOG_ERR : LOG_NOTICE, "%s", lines.back().c_str());
  ::closelog();
}

}  // namespace platform
