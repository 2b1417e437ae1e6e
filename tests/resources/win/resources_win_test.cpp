// keydeck.exe's resources as Windows loads them, under Wine: the strings
// through LoadStringW and, in the process's ANSI code page, LoadStringA;
// the RLE8 pictures through LoadImage and LoadBitmap, drawn pixel for pixel
// like the uncompressed copies the build writes; the Channel Setting
// window with its Panel1 and Image1, showing the picture of its language.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "keydeck/resources/channel_pictures.h"
#include "keydeck/resources/resource.h"
#include "keydeck/status/win/channel_window.h"
#include "tests/resources/expected_strings.h"

namespace kd::test {
namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

// The ANSI code page each block is written for.
UINT CodePageOf(int id) {
  switch (id / 100 * 100) {
    case 100: return 950;
    case 200: return 936;
    case 300: return 932;
    case 800: return 949;
    case 1000: return 1256;
    case 1200: case 1800: case 2100: case 2300: return 1250;
    case 1600: return 1253;
    case 1700: return 1255;
    case 2200: return 1251;
    case 2500: return 1254;
    case 2600: return 874;
    default: return 1252;
  }
}

std::string Ansi(const char16_t* text, UINT codePage) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text);
  char buf[512];
  BOOL lossy = FALSE;
  const int n = WideCharToMultiByte(codePage, 0, wide, -1, buf, sizeof buf, nullptr, &lossy);
  EXPECT_FALSE(lossy) << "not all of it is in code page " << codePage;
  return n > 0 ? std::string(buf, n - 1) : std::string();
}

TEST(Strings, LoadStringWGivesEveryLanguagesCharacters) {
  for (const ExpectedString& e : kExpectedStrings) {
    wchar_t buf[256] = {};
    const int n = LoadStringW(Module(), static_cast<UINT>(e.Id), buf, 256);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(e.Text)), std::wstring(buf, n > 0 ? n : 0))
        << "string " << e.Id;
  }
}

// Run once per code page (KD_EXPECT_ACP names the one the locale of the
// run gives): LoadStringA converts to the process's ANSI code page, so on
// a Windows of the block's language the menu reads right.
TEST(Strings, LoadStringAGivesTheBlocksOfThisCodePage) {
  const char* expected = std::getenv("KD_EXPECT_ACP");
  ASSERT_NE(nullptr, expected) << "the run names its code page in KD_EXPECT_ACP";
  const UINT acp = GetACP();
  ASSERT_EQ(static_cast<UINT>(std::atoi(expected)), acp) << "the locale of the run did not set the ANSI code page";
  int checked = 0;
  for (const ExpectedString& e : kExpectedStrings) {
    if (CodePageOf(e.Id) != acp) continue;
    char buf[256] = {};
    const int n = LoadStringA(Module(), static_cast<UINT>(e.Id), buf, sizeof buf);
    EXPECT_EQ(Ansi(e.Text, acp), std::string(buf, n > 0 ? n : 0)) << "string " << e.Id;
    ++checked;
  }
  EXPECT_GT(checked, 3);
  // A few rows spelt out in their code page's bytes.
  char buf[256] = {};
  if (acp == 932) {
    LoadStringA(Module(), 305, buf, sizeof buf);
    EXPECT_STREQ("\x8fI\x97\xb9(&E)", buf);
  } else if (acp == 950) {
    LoadStringA(Module(), 105, buf, sizeof buf);
    EXPECT_STREQ("\xb5\xb2\xa7\xf4(&E)", buf);
  } else if (acp == 1252) {
    LoadStringA(Module(), 426, buf, sizeof buf);
    EXPECT_STREQ("En bas \xe0 gauche", buf);
  }
}

// ---- pictures ----

// The pixels of a bitmap as 32-bit 0x00RRGGBB, top row first.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap, int* width, int* height) {
  BITMAP info = {};
  if (!GetObjectA(bitmap, sizeof info, &info)) return {};
  *width = info.bmWidth;
  *height = info.bmHeight;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = info.bmWidth;
  bi.bmiHeader.biHeight = -info.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> px(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC dc = GetDC(nullptr);
  const int rows = GetDIBits(dc, bitmap, 0, info.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != info.bmHeight) return {};
  for (auto& p : px) p &= 0xFFFFFF;
  return px;
}

std::string ReferencePath(int index) {
  std::string path = "Z:" KD_RESOURCES_GENERATED;
  for (char& c : path)
    if (c == '/') c = '\\';
  char name[32];
  wsprintfA(name, "\\channel_%02d.ref.bmp", index);
  return path + name;
}

std::vector<uint32_t> ReferencePixels(int index) {
  auto* bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, ReferencePath(index).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (!bitmap) return {};
  int w = 0, h = 0;
  auto px = PixelsOf(bitmap, &w, &h);
  DeleteObject(bitmap);
  return px;
}

// The resource's own header: what the build stored, before any decoding.
const BITMAPINFOHEADER* StoredHeader(int id) {
  HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_BITMAP));
  if (!found) return nullptr;
  return static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Module(), found)));
}

TEST(ChannelPictures, Rle8PicturesLoadAndDrawLikeTheirUncompressedCopies) {
  for (int i = 0; i < kChannelPictureCount; ++i) {
    SCOPED_TRACE(kChannelPictures[i]);
    const BITMAPINFOHEADER* stored = StoredHeader(IDB_CHANNEL_FIRST + i);
    ASSERT_NE(nullptr, stored);
    EXPECT_EQ(static_cast<DWORD>(BI_RLE8), stored->biCompression);
    EXPECT_EQ(8, stored->biBitCount);
    auto* image = static_cast<HBITMAP>(LoadImageA(Module(), MAKEINTRESOURCEA(IDB_CHANNEL_FIRST + i), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(nullptr, image) << "LoadImage: error " << GetLastError();
    int w = 0, h = 0;
    const auto px = PixelsOf(image, &w, &h);
    DeleteObject(image);
    EXPECT_EQ(500, w);
    EXPECT_EQ(400, h);
    const auto reference = ReferencePixels(i);
    ASSERT_EQ(reference.size(), px.size()) << "reference " << ReferencePath(i);
    size_t differ = 0;
    for (size_t k = 0; k < px.size(); ++k) differ += px[k] != reference[k];
    EXPECT_EQ(0u, differ) << "pixels differ from the uncompressed copy";

    HBITMAP loaded = LoadBitmapA(Module(), MAKEINTRESOURCEA(IDB_CHANNEL_FIRST + i));
    ASSERT_NE(nullptr, loaded) << "LoadBitmap";
    EXPECT_TRUE(PixelsOf(loaded, &w, &h) == px) << "LoadBitmap draws otherwise than LoadImage";
    DeleteObject(loaded);
  }
}

TEST(LedPictures, StripAndTrayIconLoad) {
  for (UINT flags : {0u, static_cast<UINT>(LR_CREATEDIBSECTION)}) {
    auto* strip = static_cast<HBITMAP>(LoadImageA(Module(), MAKEINTRESOURCEA(IDB_LED_STRIP), IMAGE_BITMAP, 0, 0, flags));
    ASSERT_NE(nullptr, strip) << "flags " << flags;
    int w = 0, h = 0;
    const auto px = PixelsOf(strip, &w, &h);
    DeleteObject(strip);
    EXPECT_EQ(160, w);
    EXPECT_EQ(45, h);
    ASSERT_EQ(160u * 45u, px.size());
    EXPECT_EQ(0u, px[2 * 160 + 2] & 0xFFFF00) << "blue background, got " << std::hex << px[2 * 160 + 2];
  }
  for (int size : {16, 32}) {
    auto* icon = static_cast<HICON>(LoadImageA(Module(), MAKEINTRESOURCEA(IDI_LED_TRAY), IMAGE_ICON, size, size, 0));
    ASSERT_NE(nullptr, icon) << size;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(size, colour.bmWidth);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// ---- the Channel Setting window ----

struct ShownPicture {
  uint16_t Language;
  int Picture;
};

class ChannelSettingWindow : public ::testing::TestWithParam<ShownPicture> {};

// The client area as the screen shows it.
std::vector<uint32_t> ClientPixels(HWND window, int width, int height) {
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP shot = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  int w = 0, h = 0;
  auto px = PixelsOf(shot, &w, &h);
  DeleteObject(shot);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return px;
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  MSG msg;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

TEST_P(ChannelSettingWindow, ShowsThePictureOfItsLanguageWithTheLeftColumnsHidden) {
  const ShownPicture want = GetParam();
  ChannelWindow form3;
  ASSERT_TRUE(form3.Create(Module(), nullptr, [language = want.Language] { return language; }));
  ASSERT_NE(nullptr, form3.Panel1());
  ASSERT_EQ(form3.Panel1(), GetParent(form3.Image1()));
  EXPECT_EQ(nullptr, reinterpret_cast<HANDLE>(SendMessageA(form3.Image1(), STM_GETIMAGE, IMAGE_BITMAP, 0)))
      << "Image1 is empty until the first show";
  RECT client;
  GetClientRect(form3.Window(), &client);
  EXPECT_EQ(481, client.right);
  EXPECT_EQ(394, client.bottom);

  form3.ShowToFront();
  Pump(300);
  EXPECT_TRUE(IsWindowVisible(form3.Window()));
  EXPECT_EQ(want.Picture, form3.PictureShown());
  RECT panel, image;
  GetWindowRect(form3.Panel1(), &panel);
  MapWindowPoints(nullptr, form3.Window(), reinterpret_cast<POINT*>(&panel), 2);
  EXPECT_EQ(0, panel.left);
  EXPECT_EQ(0, panel.top);
  EXPECT_EQ(489, panel.right);
  EXPECT_EQ(393, panel.bottom);
  GetWindowRect(form3.Image1(), &image);
  MapWindowPoints(nullptr, form3.Panel1(), reinterpret_cast<POINT*>(&image), 2);
  EXPECT_EQ(-8, image.left);
  EXPECT_EQ(0, image.top);
  EXPECT_EQ(492, image.right);
  EXPECT_EQ(400, image.bottom);

  const auto shown = ClientPixels(form3.Window(), 481, 393);
  const auto reference = ReferencePixels(want.Picture);
  ASSERT_EQ(481u * 393u, shown.size());
  ASSERT_EQ(500u * 400u, reference.size());
  size_t differ = 0;
  for (int y = 0; y < 393; ++y)
    for (int x = 0; x < 481; ++x) differ += shown[y * 481 + x] != reference[y * 500 + x + 8];
  EXPECT_EQ(0u, differ) << "of 481 x 393 pixels, against picture columns 8 to 488";

  // A second show keeps the picture; Close only hides.
  form3.ShowToFront();
  EXPECT_EQ(want.Picture, form3.PictureShown());
  SendMessageA(form3.Window(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(form3.Window()));
  EXPECT_TRUE(IsWindow(form3.Window()));
  form3.Destroy();
}

INSTANTIATE_TEST_SUITE_P(Languages, ChannelSettingWindow,
                         ::testing::Values(ShownPicture{0x0407, 9}, ShownPicture{0x2001, 25},
                                           ShownPicture{0x0409, 0}, ShownPicture{0x0418, 0},
                                           ShownPicture{0x0C04, 1}, ShownPicture{0x041E, 23}),
                         [](const auto& info) {
                           char name[16];
                           wsprintfA(name, "Lang%04X", info.param.Language);
                           return std::string(name);
                         });

}  // namespace
}  // namespace kd::test
