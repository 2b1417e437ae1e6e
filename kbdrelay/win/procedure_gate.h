// The hidden window's procedure as the system calls it: a few instructions
// outside the library's image that count the calls into the library's own
// procedure. An unload on another thread than the window's closes the gate
// and waits until no call is inside; a call that comes later goes to the
// default procedure. The code outside the image stays valid for a call
// still returning through it after the library is gone.
#pragma once

#include <windows.h>

namespace kbdrelay {

class ProcedureGate {
public:
    // False when the memory for the gate can't be had.
    bool open(WNDPROC target);
    bool isOpen() const { return block_ != nullptr; }
    // The procedure to give the window and its class.
    WNDPROC entry() const;

    // Lets no further call through to the target; with waitForCalls,
    // returns only once no call is inside it. (On the window's own thread
    // none can be: the library's procedure calls nothing that dispatches.)
    void close(bool waitForCalls);
    // After close: frees the gate where no call can be returning through
    // it (the window is gone and this is its thread); otherwise leaves it.
    void release(bool callsPossible);

private:
    struct Block;
    Block* block_ = nullptr;
};

}  // namespace kbdrelay
