// One test's session with a driver DLL loaded next to the simulated
// receiver's hid.dll and setupapi.dll, and an application window that
// collects what the library posts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "kbdrelay/hid_record.h"
#include "tests/kbdrelay/sim/receiver.h"

namespace kbdsim_test {

extern const char kInput[];
extern const char kFeature[];
extern const char kConsumer[];

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

using InitDriverFn = int(WINAPI*)(HWND, UINT, UINT);
using SetKbdFeaturesFn = int(WINAPI*)(UINT, UINT, const BYTE*);
using RemoveDeviceFn = int(WINAPI*)();
using GetRevisionFn = WORD(WINAPI*)(UINT, UINT);
using GetHidStructFn = kbdrelay::HidDeviceRecord*(WINAPI*)(UINT, UINT);

// Lets the test hid.dll and setupapi.dll in the kbdsim folder stand in for
// the system's: setupapi is a Wine builtin, so it needs an override.
void prepareSimulation(const std::string& featureLog);
std::string binFolder();
// The ids of this process's threads.
std::set<DWORD> threadIds();
int threadsInProcess();
std::vector<std::string> readLines(const std::string& path);

class Session {
public:
    explicit Session(const char* dllName);
    ~Session();

    bool loaded() const { return module_ != nullptr; }
    HMODULE module() const { return module_; }
    HWND app() const { return app_; }
    // Destroys the application window and makes a new one; the library
    // goes on posting to the old one until InitDriver names the new one.
    HWND replaceAppWindow();
    HWND hidden() const { return FindWindowA("USBHIDClass", "HIDRELAYKEYMSG"); }
    void unload();
    // FreeLibrary on a thread of its own, as when a program unloads the
    // library from another thread than the one that called InitDriver.
    void unloadFromAnotherThread();

    // Pumps this thread's messages until `count` messages reached the
    // application window or the time is up.
    std::vector<Message> collect(std::size_t count, DWORD timeoutMs);
    // Sends WM_DEVICECHANGE for a device interface, as the system would.
    void deviceChange(WPARAM event, const std::string& name);

    InitDriverFn initDriver = nullptr;
    SetKbdFeaturesFn setKbdFeatures = nullptr;
    RemoveDeviceFn removeDevice = nullptr;
    GetRevisionFn getRevision = nullptr;
    GetHidStructFn getHidStruct = nullptr;

private:
    HMODULE module_ = nullptr;
    HWND app_ = nullptr;
};

// Report i of a numbered stream: kind 4 with i in bytes 1-3, i again in 4-7.
std::vector<std::uint8_t> numberedReport(std::uint32_t i);

}  // namespace kbdsim_test
