#include "keydeck/media/win/player_form.h"

#include <commctrl.h>
#include <windowsx.h>

#include "keydeck/media/media_panel.h"
#include "keydeck/media/win/panel_pictures.h"

namespace kd {
namespace {

constexpr const char* kPlayerClass = "TPLAYER";
constexpr const char* kPlayerTitle = "PLAYER";
constexpr const char* kOldProcProperty = "KeydeckOldProc";
constexpr const char* kTrackNameTip = "CD track name";
constexpr UINT kSeekReleased = WM_APP + 1;  // from the seek arrows' mouse-up

constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kAqua = RGB(0, 255, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr int kListDropHeight = 120;

struct ButtonPlace {
  int Id;
  PanelImage Image;
  int X, Y, W, H;
};
constexpr ButtonPlace kButtons[] = {
    {kIdBtPlay, PanelImage::Play, 84, 4, 49, 17},
    {kIdBtPause, PanelImage::Pause, 132, 4, 33, 17},
    {kIdBtStop, PanelImage::Stop, 164, 4, 33, 17},
    {kIdBtPrev, PanelImage::Prev, 84, 24, 29, 17},
    {kIdBtBackward, PanelImage::Backward, 112, 24, 29, 17},
    {kIdBtForward, PanelImage::Forward, 140, 24, 29, 17},
    {kIdBtNext, PanelImage::Next, 168, 24, 29, 17},
    {kIdBtEject, PanelImage::Eject, 4, 68, 21, 17},
};

int ButtonSlot(int id) {
  for (int i = 0; i < 8; ++i)
    if (kButtons[i].Id == id) return i;
  return -1;
}

WNDPROC OldProc(HWND window) { return reinterpret_cast<WNDPROC>(GetPropA(window, kOldProcProperty)); }

// The track list takes no keys: nothing can be typed into it and the
// keyboard does not move its selection.
LRESULT CALLBACK KeylessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_KEYUP) return 0;
  WNDPROC old = OldProc(window);
  if (message == WM_NCDESTROY) RemovePropA(window, kOldProcProperty);
  return CallWindowProcA(old, window, message, wParam, lParam);
}

// The seek arrows report their mouse-up to the form, which seeks then.
LRESULT CALLBACK SeekArrowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC old = OldProc(window);
  if (message == WM_NCDESTROY) RemovePropA(window, kOldProcProperty);
  const LRESULT result = CallWindowProcA(old, window, message, wParam, lParam);
  if (message == WM_LBUTTONUP) SendMessageA(GetParent(window), kSeekReleased, 0, 0);
  return result;
}

void Subclass(HWND window, WNDPROC proc) {
  if (!window) return;
  SetPropA(window, kOldProcProperty,
           reinterpret_cast<HANDLE>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc))));
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

void SetText(HWND window, const std::string& text) {
  if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
}

}  // namespace

PlayerForm::~PlayerForm() {
  if (hwnd_) Destroy();  // the children go first, while the fonts still exist
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(labelFont_),
                         static_cast<HGDIOBJ>(black_), static_cast<HGDIOBJ>(grey_),
                         static_cast<HGDIOBJ>(listGrey_)})
    if (object) DeleteObject(object);
}

bool PlayerForm::Create(HINSTANCE instance, HWND owner, int left, int top) {
  InitCommonControls();
  RegisterFormClass(instance, kPlayerClass, nullptr, nullptr, CS_DBLCLKS);
  font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
  labelFont_ = CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  black_ = CreateSolidBrush(RGB(0, 0, 0));
  grey_ = CreateSolidBrush(kGrey);
  listGrey_ = CreateSolidBrush(GetSysColor(COLOR_GRAYTEXT));

  const PanelPicture& back = PanelPictureOf(PanelImage::Background);
  background_ = {back.Width, back.Height, DecodePicture(back)};
  for (int i = 0; i < 8; ++i) {
    const PanelPicture& p = PanelPictureOf(kButtons[i].Image);
    buttons_[i] = {p.Width, p.Height, DecodePicture(p)};
  }

  // A tool window: the panel gets no task-bar button even before the
  // application window owns it.
  if (!CreateForm(instance, kPlayerClass, kPlayerTitle, WS_POPUP | WS_CLIPCHILDREN,
                  WS_EX_TOPMOST | WS_EX_TOOLWINDOW, left, top, kPanelWidth, kPanelHeight, owner))
    return false;
  CreateControls(instance);
  return true;
}

HWND PlayerForm::Child(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h,
                       DWORD exStyle) {
  HWND child = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE)), nullptr);
  if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  return child;
}

void PlayerForm::CreateControls(HINSTANCE) {
  Child("STATIC", kInitialDisplay, SS_CENTER | SS_CENTERIMAGE, kIdDisplay, 4, 4, 61, 37, WS_EX_STATICEDGE);

  HWND seek = Child(UPDOWN_CLASSA, "", 0, kIdBtnSeek, 68, 4, 13, 37);
  SendMessageA(seek, UDM_SETRANGE32, 0, 100);
  SendMessageA(seek, UDM_SETPOS32, 0, 0);
  Subclass(seek, SeekArrowsProc);

  for (const ButtonPlace& b : kButtons) Child("BUTTON", "", BS_OWNERDRAW, b.Id, b.X, b.Y, b.W, b.H);

  HWND list = Child("COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, kIdPlayList, 48, 44, 149,
                    21 + kListDropHeight);
  HWND edit = FindWindowExA(list, nullptr, "Edit", nullptr);
  Subclass(list, KeylessProc);
  Subclass(edit, KeylessProc);
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
  for (HWND tipped : {list, edit}) {
    if (!tooltip_ || !tipped) continue;
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;  // understood by every comctl32
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(tipped);
    tool.lpszText = const_cast<char*>(kTrackNameTip);
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }

  Child("STATIC", "CD", SS_CENTER | SS_CENTERIMAGE, kIdMediaName, 28, 68, 33, 17);
  Child("STATIC", "Total Length: 00", SS_LEFT | SS_CENTERIMAGE, kIdLength, 64, 68, 117, 17);
  Child("BUTTON", "X", BS_PUSHBUTTON, kIdBtnClose, 188, 80, 9, 9);

  // Below the client area: never seen, they hold the options and the focus.
  for (int id : {kIdAutoPlay, kIdLoop}) {
    HWND box = Child("BUTTON", id == kIdAutoPlay ? "AutoPlay" : "Loop", BS_AUTOCHECKBOX | WS_TABSTOP, id, 64,
                     id == kIdAutoPlay ? 120 : 132, 97, 17);
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  }
  Child("BUTTON", "Dummy", BS_PUSHBUTTON | WS_TABSTOP, kIdDummy, 136, 156, 53, 25);
  Child("BUTTON", "Button1", BS_PUSHBUTTON | WS_TABSTOP, kIdButton1, 16, 168, 57, 25);
}

void PlayerForm::ShowOptions(bool autoPlay, bool loop) {
  SendMessageA(Control(kIdAutoPlay), BM_SETCHECK, autoPlay ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageA(Control(kIdLoop), BM_SETCHECK, loop ? BST_CHECKED : BST_UNCHECKED, 0);
}

// ---- PanelView ----

void PlayerForm::SetDisplay(const std::string& text) { SetText(Control(kIdDisplay), text); }
void PlayerForm::SetMediaName(const std::string& text) { SetText(Control(kIdMediaName), text); }
void PlayerForm::SetLength(const std::string& text) { SetText(Control(kIdLength), text); }

void PlayerForm::ClearPlayList() {
  SendMessageA(Control(kIdPlayList), CB_RESETCONTENT, 0, 0);
  SetWindowTextA(Control(kIdPlayList), "");
}

void PlayerForm::AddPlayListItem(const std::string& text) {
  SendMessageA(Control(kIdPlayList), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int PlayerForm::PlayListCount() {
  return static_cast<int>(SendMessageA(Control(kIdPlayList), CB_GETCOUNT, 0, 0));
}

int PlayerForm::PlayListIndex() {
  return static_cast<int>(SendMessageA(Control(kIdPlayList), CB_GETCURSEL, 0, 0));
}

void PlayerForm::SelectPlayListItem(int index) {
  SendMessageA(Control(kIdPlayList), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void PlayerForm::SetPlayListText(const std::string& text) { SetWindowTextA(Control(kIdPlayList), text.c_str()); }
std::string PlayerForm::PlayListText() { return WindowText(Control(kIdPlayList)); }

void PlayerForm::StartTrackTimer() {
  timerRunning_ = SetTimer(hwnd_, kTrackTimer, kTrackTimerMs, nullptr) != 0;
}

void PlayerForm::StopTrackTimer() {
  KillTimer(hwnd_, kTrackTimer);
  timerRunning_ = false;
}

void PlayerForm::SetSeekRange(int minimum, int maximum, int step) {
  HWND seek = Control(kIdBtnSeek);
  SendMessageA(seek, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
  UDACCEL accel = {0, static_cast<UINT>(step)};
  SendMessageA(seek, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void PlayerForm::SetSeekPosition(int position) { SendMessageA(Control(kIdBtnSeek), UDM_SETPOS32, 0, position); }

void PlayerForm::ShowPanel() {
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void PlayerForm::HidePanel() { ShowWindow(hwnd_, SW_HIDE); }

void PlayerForm::MovePanel(int left, int top) {
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlayerForm::FocusDummy() { SetFocus(Control(kIdDummy)); }
void PlayerForm::ShowVideoFullScreen(int width, int height) { movie_.ShowFullScreen(width, height); }
void PlayerForm::HideVideo() { movie_.HideWithBorder(); }
uintptr_t PlayerForm::VideoWindow() { return reinterpret_cast<uintptr_t>(movie_.Window()); }
int PlayerForm::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int PlayerForm::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }
void PlayerForm::ShowError(const std::string& text) { ShowErrorBox(text.c_str()); }

// ---- Events ----

LRESULT PlayerForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the background picture covers everything
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kIdBtnSeek && header->code == UDN_DELTAPOS) OnSeekChanging();
      return 0;  // the step is allowed
    }
    case kSeekReleased:
      OnSeekReleased();
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return ControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case MM_MCINOTIFY:
      if (panel_) panel_->MediaPlayerNotify();
      return 0;
    case WM_TIMER:
      if (wParam == kTrackTimer && panel_) panel_->TrackTimerTimer();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && panel_) panel_->FormActivate();
      break;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd_);
      if (panel_) panel_->MainMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      if ((wParam & MK_LBUTTON) && GetCapture() == hwnd_ && panel_) {
        RECT r;
        GetWindowRect(hwnd_, &r);
        panel_->MainMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), r.left, r.top);
      }
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd_) ReleaseCapture();
      return 0;
    case WM_LBUTTONDBLCLK:
      if (panel_) panel_->MainDblClick();
      return 0;
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    case WM_DESTROY:
      StopTrackTimer();
      break;
    default:
      break;
  }
  return FormWindow::Handle(message, wParam, lParam);
}

void PlayerForm::OnCommand(int id, int code) {
  if (!panel_) return;
  if (id == kIdPlayList) {
    if (code == CBN_SELCHANGE) panel_->PlayListClick();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdBtPlay: return panel_->BtPlayClick();
    case kIdBtPause: return panel_->BtPauseClick();
    case kIdBtStop: return panel_->BtStopClick();
    case kIdBtPrev: return panel_->BtPrevClick();
    case kIdBtBackward: return panel_->BtBackwardClick();
    case kIdBtForward: return panel_->BtForwardClick();
    case kIdBtNext: return panel_->BtNextClick();
    case kIdBtEject: return panel_->BtEjectClick();
    case kIdBtnClose: return panel_->BtnCloseClick();
    case kIdAutoPlay:
      return panel_->AutoPlayClick(SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
    case kIdLoop:
      return panel_->LoopClick(SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED);
    case kIdButton1:
      if (!panel_->Button1Click()) ShowErrorBox("No MCI device open");
      return;
    default:
      return;  // Dummy does nothing
  }
}

// Raised before the arrows apply a step: the position is still the old one.
void PlayerForm::OnSeekChanging() {
  if (panel_) panel_->BtnSeekChanging(static_cast<int>(SendMessageA(Control(kIdBtnSeek), UDM_GETPOS32, 0, 0)));
}

void PlayerForm::OnSeekReleased() {
  if (panel_) panel_->BtnSeekMouseUp(static_cast<int>(SendMessageA(Control(kIdBtnSeek), UDM_GETPOS32, 0, 0)));
}

LRESULT PlayerForm::ControlColour(UINT message, HDC dc, HWND control) {
  // Only the track list has an edit and a list: grey with yellow text.
  if (message != WM_CTLCOLORSTATIC) {
    SetTextColor(dc, kYellow);
    SetBkColor(dc, GetSysColor(COLOR_GRAYTEXT));
    return reinterpret_cast<LRESULT>(listGrey_);
  }
  switch (GetDlgCtrlID(control)) {
    case kIdDisplay:
      SetTextColor(dc, kLime);
      SetBkColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(black_);
    case kIdMediaName:
    case kIdLength:
      SetTextColor(dc, GetDlgCtrlID(control) == kIdLength ? kAqua : kWhite);
      SetBkColor(dc, kGrey);
      return reinterpret_cast<LRESULT>(grey_);
    default:
      return DefWindowProcA(hwnd_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
}

void PlayerForm::DrawPicture(HDC dc, const Picture& picture, int x, int y) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.Width;
  info.bmiHeader.biHeight = -picture.Height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture.Width), static_cast<DWORD>(picture.Height), 0, 0, 0,
                    static_cast<UINT>(picture.Height), picture.Pixels.data(), &info, DIB_RGB_COLORS);
}

void PlayerForm::DrawButton(const DRAWITEMSTRUCT& item) {
  const int slot = ButtonSlot(static_cast<int>(item.CtlID));
  if (slot < 0) return;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  RECT r = item.rcItem;
  // Pressed, the face moves one pixel down and right under a sunken edge.
  DrawPicture(item.hDC, buttons_[slot], pressed ? 1 : 0, pressed ? 1 : 0);
  DrawEdge(item.hDC, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
}

void PlayerForm::Paint(HDC dc) {
  DrawPicture(dc, background_, 0, 0);
  // Label1: transparent, bold yellow Arial.
  HGDIOBJ old = SelectObject(dc, labelFont_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kYellow);
  RECT label = {8, 48, 8 + 37, 48 + 14};
  DrawTextA(dc, "Track :", -1, &label, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
  SelectObject(dc, old);
}

}  // namespace kd
