// Functions bound at their first call: keydeck.exe's multimedia calls, and
// a function whose library or name is missing.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>

#include "keydeck/shell/win/late_import.h"

extern "C" __attribute__((dllimport)) BOOL WINAPI KdNotInAnyLibrary(int);
extern "C" __attribute__((dllimport)) DWORD WINAPI KdNotInKernel32(int, int);
KD_LATE_IMPORT("kd-no-such-library.dll", KdNotInAnyLibrary, 4, FALSE)
KD_LATE_IMPORT("kernel32.dll", KdNotInKernel32, 8, 7u)

// Keydeck's own slot for one of its multimedia calls.
extern "C" void* kd_slot_mci_error_text __asm__("__imp__mciGetErrorStringA@12");

namespace {

TEST(LateImport, TheFirstCallBindsTheSystemsFunctionAndPassesTheArguments) {
  char viaSlot[128] = {};
  ASSERT_TRUE(mciGetErrorStringA(MCIERR_INVALID_DEVICE_ID, viaSlot, sizeof viaSlot));
  const HMODULE winmm = GetModuleHandleA("winmm.dll");
  ASSERT_NE(nullptr, winmm);
  void* real = reinterpret_cast<void*>(GetProcAddress(winmm, "mciGetErrorStringA"));
  EXPECT_EQ(real, kd_slot_mci_error_text);

  char direct[128] = {};
  ASSERT_TRUE(reinterpret_cast<decltype(&mciGetErrorStringA)>(real)(MCIERR_INVALID_DEVICE_ID, direct,
                                                                     sizeof direct));
  EXPECT_NE("", std::string(viaSlot));
  EXPECT_EQ(std::string(direct), viaSlot);
}

TEST(LateImport, AMissingLibraryOrFunctionFailsEachCallWithoutBinding) {
  void* const binder = kd_late_KdNotInAnyLibrary;
  for (int call = 0; call < 2; ++call) {
    SetLastError(0);
    EXPECT_EQ(FALSE, KdNotInAnyLibrary(1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
    EXPECT_EQ(binder, kd_late_KdNotInAnyLibrary);

    SetLastError(0);
    EXPECT_EQ(7u, KdNotInKernel32(1, 2));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PROC_NOT_FOUND), GetLastError());
  }
}

}  // namespace
