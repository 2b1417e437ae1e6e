#include "tests/kbdrelay/win/sim_session.h"

#include <tlhelp32.h>

#include <cstring>
#include <fstream>
#include <thread>

namespace kbdsim_test {

const char kInput[] = "kbdsim-input";
const char kFeature[] = "kbdsim-feature";
const char kConsumer[] = "kbdsim-consumer";

void prepareSimulation(const std::string& featureLog)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const char value[] = "native,builtin";
        RegSetValueExA(key, "setupapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
        RegCloseKey(key);
    }
    SetEnvironmentVariableA("KBDSIM_DEVICES", nullptr);  // the default receiver
    SetEnvironmentVariableA("KBDSIM_FEATURE_LOG", featureLog.c_str());
}

std::string binFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::set<DWORD> threadIds()
{
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.insert(entry.th32ThreadID);
    }
    CloseHandle(snapshot);
    return ids;
}

int threadsInProcess()
{
    // No snapshot gives no ids: a count of 0, which no comparison with a
    // live process's count accepts.
    return static_cast<int>(threadIds().size());
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

namespace {

template <typename Fn>
Fn procedure(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

namespace {

HWND createAppWindow()
{
    return CreateWindowExA(0, "STATIC", "kbdsim application", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

Session::Session(const char* dllName)
{
    app_ = createAppWindow();
    const std::string path = binFolder() + "\\kbdsim\\" + dllName;
    module_ = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module_ == nullptr)
        return;
    initDriver = procedure<InitDriverFn>(module_, "InitDriver");
    setKbdFeatures = procedure<SetKbdFeaturesFn>(module_, "SetKbdFeatures");
    removeDevice = procedure<RemoveDeviceFn>(module_, "RemoveDevice");
    getRevision = procedure<GetRevisionFn>(module_, "GetRevision");
    getHidStruct = procedure<GetHidStructFn>(module_, "GetHidStruct");
}

Session::~Session()
{
    unload();
    if (app_ != nullptr)
        DestroyWindow(app_);
}

HWND Session::replaceAppWindow()
{
    DestroyWindow(app_);
    app_ = createAppWindow();
    return app_;
}

void Session::unload()
{
    if (module_ != nullptr)
        FreeLibrary(module_);
    module_ = nullptr;
}

void Session::unloadFromAnotherThread()
{
    if (module_ == nullptr)
        return;
    std::thread([module = module_] { FreeLibrary(module); }).join();
    module_ = nullptr;
}

std::vector<Message> Session::collect(std::size_t count, DWORD timeoutMs)
{
    std::vector<Message> seen;
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == app_ && msg.message >= WM_USER)
                seen.push_back({msg.message, msg.wParam, msg.lParam});
            else
                DispatchMessageA(&msg);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (seen.size() >= count || elapsed >= timeoutMs)
            return seen;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

void Session::deviceChange(WPARAM event, const std::string& name)
{
    std::vector<BYTE> block(28 + name.size() + 1, 0);
    const DWORD size = DWORD(block.size());
    const DWORD interfaceType = 5;
    std::memcpy(&block[0], &size, 4);
    std::memcpy(&block[4], &interfaceType, 4);
    std::memcpy(&block[28], name.c_str(), name.size());
    SendMessageA(hidden(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(block.data()));
}

std::vector<std::uint8_t> numberedReport(std::uint32_t i)
{
    return {0x04,
            std::uint8_t(i),
            std::uint8_t(i >> 8),
            std::uint8_t(i >> 16),
            std::uint8_t(i),
            std::uint8_t(i >> 8),
            std::uint8_t(i >> 16),
            std::uint8_t(0x80 | (i >> 24)),
            0x00};
}

}  // namespace kbdsim_test
