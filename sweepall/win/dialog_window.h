// The uninstall dialog window: the Win32 view of UninstallDialog.
#pragma once

#include <windows.h>

#include <string>

#include "sweepall/platform.h"

namespace sweepall::win {

class Win32DialogView : public DialogView {
 public:
  void Attach(HWND dialog) { dialog_ = dialog; }

  void SetCaption(const std::string& text) override;
  void SetGroupCaption(const std::string& text) override;
  void AddStatusLine(const std::string& text) override;
  void TickTaskBoxes() override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void ShowMessage(const std::string& text, const std::string& title) override;
  void BringToFront() override;
  void Close(int result) override;
  std::string UninstallQuestion() override;
  std::string RestartQuestion() override;

 private:
  HWND dialog_ = nullptr;
};

// Shows the dialog for the script (a silent start asks nothing) and
// returns when it closes.
int RunUninstallDialog(HINSTANCE instance, const std::string& script, bool silent = false);

}  // namespace sweepall::win
