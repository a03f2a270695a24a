// The progress dialog shown while the fonts are revised: two bars with their
// percentages, two lines, and 中止, which only raises a flag that the next
// report asks about.
#pragma once

#include <string>

class CFace;

class CProgressDialog {
 public:
  static constexpr unsigned kReportPause = 1;       // milliseconds after every report
  static constexpr unsigned kCompletePause = 1000;  // after a report of 100 and 100

  explicit CProgressDialog(CFace& face) : m_face(face) {}
  ~CProgressDialog();
  CProgressDialog(const CProgressDialog&) = delete;
  CProgressDialog& operator=(const CProgressDialog&) = delete;

  // Creates the modeless window, shows it and paints it at once.
  void Create();
  void DestroyWindow();

  // Button 1006.
  void OnAbort() { stopFlag = 1; }

  // Shows the report, handles waiting input, asks 102 when 中止 was pressed
  // (いいえ clears the flag). 1 once the user has confirmed a stop (and from
  // then on, without asking again), else 0.
  int UpdateProgress(int overall, int step, const std::string& line1, const std::string& line2);

  // The update engine's callback; `window` is the CProgressDialog.
  static int ProgressCallback(int overall, int step, const char* line1, const char* line2, void* window);

  int stopFlag = 0;

 private:
  CFace& m_face;
  bool m_created = false;
  bool m_stopConfirmed = false;
};
