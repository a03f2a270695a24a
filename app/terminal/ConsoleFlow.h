// The updater's run in a terminal: the same steps, checks and messages as the
// Windows dialogs, asked and shown line by line.
#pragma once

#include <iosfwd>
#include <string>

class CConsoleFlow {
 public:
  CConsoleFlow(std::istream& in, std::ostream& out, bool rewriteLines);
  ~CConsoleFlow();

  // The whole run, from the update list check to the end message. Returns
  // the process's exit status: 0 after a complete revision, 1 otherwise.
  int Run();

 private:
  bool Initialise();
  int Execute();
  void ResetFontCache();

  // One line of the user's answer; `fallback` when the input has ended.
  std::string Ask(const char* prompt, const std::string& fallback);
  bool Confirm(int messageId);
  void ShowMessage(int messageId, const std::string& path = "");

  static int SearchCallback(const char* text, void* window);
  static int ProgressCallback(int overall, int step, const char* line1, const char* line2, void* window);
  int OnSearchText(const char* text);
  int OnProgress(int overall, int step, const char* line1, const char* line2);

  std::istream& m_in;
  std::ostream& m_out;
  bool m_rewriteLines;
  bool m_stopConfirmed = false;
};
