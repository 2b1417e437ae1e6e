// Lets a test stand between the driver library and a system call: count
// the calls, or hold the library's thread inside one.
#pragma once

#include <windows.h>

namespace kbdsim_test {

// Points `module`'s import of `function` from `dll` at `replacement`;
// returns the address it called before, or null when there is no such import.
void* replaceImport(HMODULE module, const char* dll, const char* function, void* replacement);

// The first thread to pass() while armed signals waitEntered() and stays
// until release().
struct Gate {
    HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile LONG armed = 0;

    ~Gate() { CloseHandle(entered), CloseHandle(released); }
    void arm() { InterlockedExchange(&armed, 1); }
    void pass()
    {
        if (InterlockedExchange(&armed, 0) != 0 && SetEvent(entered))
            WaitForSingleObject(released, 30000);
    }
    bool waitEntered(DWORD timeoutMs) { return WaitForSingleObject(entered, timeoutMs) == WAIT_OBJECT_0; }
    void release() { SetEvent(released); }
    bool wasReleased() { return WaitForSingleObject(released, 0) == WAIT_OBJECT_0; }
};

}  // namespace kbdsim_test
