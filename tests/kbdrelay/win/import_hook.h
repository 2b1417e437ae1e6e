// Points one import of a loaded module at a function of the test, so that a
// test can stand between the driver library and a system call: hold the
// library's thread inside it, or count its calls.
#pragma once

#include <windows.h>

namespace kbdsim_test {

// Replaces the address through which `module` calls `function` of `dll`
// (in its import address table) with `replacement`. Returns the address it
// called before, or null when the module does not import that function.
void* replaceImport(HMODULE module, const char* dll, const char* function, void* replacement);

// A place where a thread can be held: the first thread to pass() while
// armed signals entered() and waits until release().
class Gate {
public:
    Gate();
    ~Gate();
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    void arm() { InterlockedExchange(&armed_, 1); }
    void pass();
    bool waitEntered(DWORD timeoutMs) { return WaitForSingleObject(entered_, timeoutMs) == WAIT_OBJECT_0; }
    void release() { SetEvent(released_); }
    bool wasReleased() const { return WaitForSingleObject(released_, 0) == WAIT_OBJECT_0; }

private:
    volatile LONG armed_ = 0;
    HANDLE entered_;
    HANDLE released_;
};

}  // namespace kbdsim_test
