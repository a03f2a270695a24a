// The wait dialog shown while the font search runs: its current folder, and
// 中止, which only raises a flag that the next report asks about.
#pragma once

#include <string>

class CFace;

class CWaitDialog {
 public:
  explicit CWaitDialog(CFace& face) : m_face(face) {}
  ~CWaitDialog();
  CWaitDialog(const CWaitDialog&) = delete;
  CWaitDialog& operator=(const CWaitDialog&) = delete;

  // Creates the modeless window, shows it and paints it at once.
  void Create();
  void DestroyWindow();

  // Button 1076.
  void OnAbort() { stopFlag = 1; }

  // Shows the window if hidden, handles waiting input, asks 116 when 中止 was
  // pressed (いいえ clears the flag), shows `line`. 1 once the user has
  // confirmed a stop (and from then on, without asking again), else 0.
  int UpdateSearchText(const std::string& line);

  // The font search's callback; `window` is the CWaitDialog.
  static int SearchCallback(const char* text, void* window);

  // Whether the user confirmed a stop of the search.
  bool StopConfirmed() const { return m_stopConfirmed; }

  std::string currentLine;  // control 1077
  int stopFlag = 0;

 private:
  CFace& m_face;
  bool m_created = false;
  bool m_stopConfirmed = false;
};
