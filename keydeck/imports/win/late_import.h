// Import slots bound at the first call. A call to a DLL's function goes
// through its import slot, "__imp__Name@Bytes". Defining that slot here, in
// place of the DLL's import library, keeps the DLL out of the program's
// import table: the slot first points at a binder that loads the DLL, puts
// the real function in the slot and calls it, and later calls go straight
// to the system's function. If the DLL or the function cannot be had, the
// call fails the way the function reports failure, with
// ERROR_PROC_NOT_FOUND as the last error, and the next call tries again.
#ifndef KEYDECK_IMPORTS_WIN_LATE_IMPORT_H_
#define KEYDECK_IMPORTS_WIN_LATE_IMPORT_H_

#include <windows.h>

#include <type_traits>

namespace kd::late {

struct Import {
  const char* dll;
  const char* name;
  void** slot;
};

// The real function, now in the import's slot, or null.
inline void* Bind(const Import& import) {
  const HMODULE module = LoadLibraryA(import.dll);
  void* real = module ? reinterpret_cast<void*>(GetProcAddress(module, import.name)) : nullptr;
  // Two threads binding the same slot at once store the same address.
  if (real) InterlockedExchangePointer(import.slot, real);
  return real;
}

template <const Import& I, auto Failure, typename F>
struct Binder;

template <const Import& I, auto Failure, typename R, typename... A>
struct Binder<I, Failure, R(WINAPI*)(A...)> {
  static R WINAPI First(A... args) {
    const auto real = reinterpret_cast<R(WINAPI*)(A...)>(Bind(I));
    if (real) return real(args...);
    SetLastError(ERROR_PROC_NOT_FOUND);
    if constexpr (!std::is_void_v<R>) return (R)Failure;
  }
};

// An import the DLL may lack for good (an older or another build of it):
// bound once, at the first call, to the function of the DLL already
// loaded, or else to `Fallback`, which then serves every later call.
template <const Import& I, auto Fallback, typename F>
struct OptionalBinder;

template <const Import& I, auto Fallback, typename R, typename... A>
struct OptionalBinder<I, Fallback, R(WINAPI*)(A...)> {
  static R WINAPI First(A... args) {
    const HMODULE module = GetModuleHandleA(I.dll);
    void* real = module ? reinterpret_cast<void*>(GetProcAddress(module, I.name)) : nullptr;
    if (!real) real = reinterpret_cast<void*>(Fallback);
    InterlockedExchangePointer(I.slot, real);
    return reinterpret_cast<R(WINAPI*)(A...)>(real)(args...);
  }
};

}  // namespace kd::late

// Defines FN's import slot, bound from DLL at the first call; FAILURE is
// what the call returns when that fails. BYTES is the size of FN's
// arguments, part of the slot's name: a wrong size leaves the callers' slot
// undefined, and the link fails.
#define KD_LATE_IMPORT(dll, fn, bytes, failure)                                        \
  extern "C" void* kd_late_##fn __asm__("__imp__" #fn "@" #bytes);                     \
  namespace kd::late {                                                                 \
  constexpr Import k##fn{dll, #fn, &kd_late_##fn};                                     \
  }                                                                                    \
  void* kd_late_##fn =                                                                 \
      reinterpret_cast<void*>(&kd::late::Binder<kd::late::k##fn, failure, decltype(&::fn)>::First);

// Defines FN's import slot for a function that DLL, loaded with the
// program, may not export: FALLBACK (a function of FN's type) stands in.
#define KD_OPTIONAL_IMPORT(dll, fn, bytes, fallback)                                   \
  extern "C" void* kd_late_##fn __asm__("__imp__" #fn "@" #bytes);                     \
  namespace kd::late {                                                                 \
  constexpr Import k##fn{dll, #fn, &kd_late_##fn};                                     \
  }                                                                                    \
  void* kd_late_##fn = reinterpret_cast<void*>(                                        \
      &kd::late::OptionalBinder<kd::late::k##fn, &fallback, decltype(&::fn)>::First);

#endif  // KEYDECK_IMPORTS_WIN_LATE_IMPORT_H_
