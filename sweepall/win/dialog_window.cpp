#include "sweepall/win/dialog_window.h"

#include "sweepall/uninstall_dialog.h"
#include "sweepall/win/resource.h"
#include "sweepall/win/win_platform.h"

namespace sweepall::win {

namespace {

constexpr UINT kUninstallQuestionId = 65;
constexpr UINT kRestartQuestionId = 4274;

// Everything the dialog works with, alive for as long as it is open.
struct DialogContext {
  Win32Registry registry;
  Win32FileSystem files;
  Win32SystemInfo system;
  Win32Programs programs;
  Win32DeviceSetup devices;
  Win32Power power;
  Win32LogFile log;
  Win32DialogView view;
  Platform platform{registry, files, system, programs, devices, power, log, view};
  UninstallDialog dialog{platform};
  std::string script;
  bool silent = false;
  HICON icon = nullptr;
};

// The classic minimised-dialog paint: the icon centred in the client area.
void PaintMinimised(HWND hwnd, HICON icon) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(hwnd, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(hwnd, &ps);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = reinterpret_cast<DialogContext*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      context = reinterpret_cast<DialogContext*>(lParam);
      SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
      context->view.Attach(hwnd);
      SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(context->icon));
      SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(context->icon));
      context->dialog.Start(context->script, context->silent);
      return TRUE;
    case WM_COMMAND:
      if (!context) return FALSE;
      switch (LOWORD(wParam)) {
        case IDC_RUN:
          context->dialog.OnOk();
          return TRUE;
        case IDCANCEL:
          EndDialog(hwnd, 0);
          return TRUE;
        case IDC_LOG_FILE:
          if (HIWORD(wParam) == BN_CLICKED) context->dialog.OnLogBoxClicked();
          return TRUE;
        default:
          return FALSE;
      }
    case WM_PAINT:
      if (!context || !IsIconic(hwnd)) return FALSE;
      PaintMinimised(hwnd, context->icon);
      return TRUE;
    case WM_QUERYDRAGICON:
      return context ? reinterpret_cast<INT_PTR>(context->icon) : 0;
    default:
      return FALSE;
  }
}

}  // namespace

void Win32DialogView::SetCaption(const std::string& text) {
  SetWindowTextA(dialog_, text.c_str());
}

void Win32DialogView::SetGroupCaption(const std::string& text) {
  SetDlgItemTextA(dialog_, IDC_GROUP, text.c_str());
}

void Win32DialogView::AddStatusLine(const std::string& text) {
  SendDlgItemMessageA(dialog_, IDC_STATUS_LIST, LB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32DialogView::TickTaskBoxes() {
  for (int id : {IDC_REMOVE_FILES, IDC_UPDATE_KEY, IDC_UPDATE_VALUE})
    CheckDlgButton(dialog_, id, BST_CHECKED);
}

bool Win32DialogView::AskYesNo(const std::string& text, const std::string& caption) {
  return MessageBoxA(dialog_, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32DialogView::ShowMessage(const std::string& text, const std::string& title) {
  MessageBoxA(dialog_, text.c_str(), title.c_str(), MB_OK);
}

void Win32DialogView::BringToFront() { SetForegroundWindow(dialog_); }

void Win32DialogView::Close(int result) { EndDialog(dialog_, result); }

std::string Win32DialogView::UninstallQuestion() {
  std::string text = ShellString(kUninstallQuestionId);
  // The platform's own wording when it has one; never an empty question.
  return text.empty() ? "Are you sure you want to remove this program?" : text;
}

std::string Win32DialogView::RestartQuestion() {
  const std::string format = ShellString(kRestartQuestionId);
  if (format.empty()) return "Do you want to restart your computer now?";
  return FormatRestartQuestion(format);
}

std::string FormatRestartQuestion(const std::string& format) {
  DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(" "), reinterpret_cast<DWORD_PTR>(" ")};
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      format.c_str(), 0, 0, reinterpret_cast<LPSTR>(&text), 0,
      reinterpret_cast<va_list*>(inserts));
  std::string result = n > 0 && text ? std::string(text, n) : format;
  if (text) LocalFree(text);
  return result;
}

int RunUninstallDialog(HINSTANCE instance, const std::string& script, bool silent) {
  DialogContext context;
  context.script = script;
  context.silent = silent;
  context.icon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SWEEPALL));
  const INT_PTR result = DialogBoxParamA(instance, "UninstallDialog", nullptr, DialogProc,
                                         reinterpret_cast<LPARAM>(&context));
  return result == -1 ? 1 : static_cast<int>(result);
}

}  // namespace sweepall::win
