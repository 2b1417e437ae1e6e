// Functions bound at their first call: keydeck.exe's multimedia calls, a
// function whose library or name is missing, and the optional imports
// (keyhook.dll's two functions beyond its contract) with and without the
// function in the library.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>

#include "keydeck/imports/win/late_import.h"

extern "C" __attribute__((dllimport)) BOOL WINAPI KdNotInAnyLibrary(int);
extern "C" __attribute__((dllimport)) DWORD WINAPI KdNotInKernel32(int, int);
KD_LATE_IMPORT("kd-no-such-library.dll", KdNotInAnyLibrary, 4, FALSE)
KD_LATE_IMPORT("kernel32.dll", KdNotInKernel32, 8, 7u)

// Optional imports: a function kernel32 has, and one it lacks.
extern "C" __attribute__((dllimport)) int WINAPI MulDiv(int, int, int);
extern "C" __attribute__((dllimport)) DWORD WINAPI KdOptionalNotInKernel32(DWORD);
int g_fallbackCalls = 0;
int WINAPI MulDivStandIn(int, int, int) { return -2; }
DWORD WINAPI OptionalStandIn(DWORD value) {
  ++g_fallbackCalls;
  return value + 1;
}
KD_OPTIONAL_IMPORT("kernel32.dll", MulDiv, 12, MulDivStandIn)
KD_OPTIONAL_IMPORT("kernel32.dll", KdOptionalNotInKernel32, 4, OptionalStandIn)

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

TEST(OptionalImport, AFunctionTheLibraryHasIsBoundToIt) {
  EXPECT_EQ(6, MulDiv(4, 3, 2));
  void* real = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MulDiv"));
  EXPECT_EQ(real, kd_late_MulDiv);
  EXPECT_EQ(10, MulDiv(5, 4, 2));
}

TEST(OptionalImport, AFunctionTheLibraryLacksGivesWayToItsStandInForGood) {
  EXPECT_EQ(42u, KdOptionalNotInKernel32(41));
  EXPECT_EQ(reinterpret_cast<void*>(&OptionalStandIn), kd_late_KdOptionalNotInKernel32)
      << "bound once: later calls go straight to the stand-in";
  EXPECT_EQ(8u, KdOptionalNotInKernel32(7));
  EXPECT_EQ(2, g_fallbackCalls);
}

}  // namespace
