// The session's holds on fonts, recorded instead of let go and taken back:
// "release PATH" and "restore PATH COUNT", with every release answering
// `holds` (the number of times the font was loaded).
#pragma once

#include <string>
#include <vector>

#include "platform/System.h"

namespace test_support {

class RecordedFontHolds : public platform::SystemActions {
 public:
  explicit RecordedFontHolds(int holds) : m_holds(holds) {}
  void ResetFontCache() override {}
  void Restart() override {}
  void BroadcastFontChange() override {}
  int ReleaseFont(const std::string& path) override {
    log.push_back("release " + path);
    return m_holds;
  }
  void RestoreFont(const std::string& path, int count) override {
    log.push_back("restore " + path + " " + std::to_string(count));
  }

  std::vector<std::string> log;

 private:
  int m_holds;
};

}  // namespace test_support
