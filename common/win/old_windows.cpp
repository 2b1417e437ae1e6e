// The static C++ runtime's thread layer imports three kernel32 functions
// that older systems lack: GetTickCount64 (new in Vista) and the vectored
// exception handler pair (new in XP). One missing import and the loader
// refuses to start the program at all. The import slots are defined here
// instead, so the program carries no such import, and each call reaches
// the system's own function only where the system has one. Every
// deliverable links it.
#include <windows.h>

namespace {

FARPROC FromKernel32(const char* name) {
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

// No static caches: these run from the runtime's start-up code, before
// anything that a guarded static would need is ready.
ULONGLONG WINAPI TickCount64() {
  using Fn = ULONGLONG(WINAPI*)();
  const auto real = reinterpret_cast<Fn>(reinterpret_cast<void*>(FromKernel32("GetTickCount64")));
  return real ? real() : GetTickCount();
}

PVOID WINAPI AddVectoredHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  using Fn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
  const auto real =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(FromKernel32("AddVectoredExceptionHandler")));
  return real ? real(first, handler) : nullptr;
}

ULONG WINAPI RemoveVectoredHandler(PVOID handle) {
  using Fn = ULONG(WINAPI*)(PVOID);
  const auto real =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(FromKernel32("RemoveVectoredExceptionHandler")));
  return real && handle ? real(handle) : 0;
}

}  // namespace

// The runtime calls through these pointers; the names are the import slots
// the linker would otherwise take from kernel32's import library.
extern "C" {
void* kd_tick_count64 __asm__("__imp__GetTickCount64@0") =
    reinterpret_cast<void*>(&TickCount64);
void* kd_add_handler __asm__("__imp__AddVectoredExceptionHandler@8") =
    reinterpret_cast<void*>(&AddVectoredHandler);
void* kd_remove_handler __asm__("__imp__RemoveVectoredExceptionHandler@4") =
    reinterpret_cast<void*>(&RemoveVectoredHandler);
}
