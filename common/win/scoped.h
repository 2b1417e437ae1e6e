// One small owner per Win32 handle kind, so every exit path releases it.
#pragma once

#include <windows.h>

namespace common {

template <typename H, typename Traits>
class Scoped {
 public:
  Scoped() = default;
  explicit Scoped(H h) : h_(h) {}
  ~Scoped() { reset(); }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& o) noexcept : h_(o.release()) {}
  Scoped& operator=(Scoped&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }

  H get() const { return h_; }
  H* put() { reset(); return &h_; }  // for out-parameters
  bool valid() const { return Traits::Valid(h_); }
  explicit operator bool() const { return valid(); }
  H release() { H h = h_; h_ = Traits::Invalid(); return h; }
  void reset(H h = Traits::Invalid()) {
    if (Traits::Valid(h_)) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::Invalid();
};

struct HandleTraits {  // kernel objects: files, events, threads, processes
  static HANDLE Invalid() { return nullptr; }
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct LibraryTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool Valid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};
struct GdiObjectTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static bool Valid(HGDIOBJ h) { return h != nullptr; }
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};

using ScopedHandle = Scoped<HANDLE, HandleTraits>;
using ScopedKey = Scoped<HKEY, KeyTraits>;
using ScopedLibrary = Scoped<HMODULE, LibraryTraits>;
using ScopedGdiObject = Scoped<HGDIOBJ, GdiObjectTraits>;
using ScopedFind = Scoped<HANDLE, FindTraits>;

// A window's DC from GetDC/GetWindowDC, released to its window.
class ScopedDC {
 public:
  ScopedDC(HWND wnd, HDC dc) : wnd_(wnd), dc_(dc) {}
  ~ScopedDC() { if (dc_) ReleaseDC(wnd_, dc_); }
  ScopedDC(const ScopedDC&) = delete;
  ScopedDC& operator=(const ScopedDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~ScopedSelect() { if (old_) SelectObject(dc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace common
