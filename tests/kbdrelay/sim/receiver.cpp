#include "tests/kbdrelay/sim/receiver.h"

#include <algorithm>
#include <cstring>

namespace kbdsim {

namespace {
constexpr DWORD kPipeBuffer = 64 * 1024;
// Free instances kept per pipe, so that opens never find the pipe busy.
constexpr int kListening = 2;
constexpr DWORD kRecordSize = 32;
}

struct Receiver::Instance {
    int pipe = 0;
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    bool connected = false;
    // A client never writes: the pending read ends when it closes.
    BYTE sink[64];
};

Receiver::Receiver(const std::vector<std::string>& names) : names_(names)
{
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ready_ = stop_ != nullptr;
    for (int pipe = 0; pipe < int(names_.size()) && ready_; ++pipe) {
        for (int i = 0; i < kListening && ready_; ++i)
            ready_ = listen(pipe);
    }
    if (ready_)
        server_ = std::thread([this] { serve(); });
}

Receiver::~Receiver()
{
    if (server_.joinable()) {
        SetEvent(stop_);
        server_.join();
    }
    for (auto& instance : instances_) {
        CancelIo(instance->handle);
        CloseHandle(instance->handle);
        CloseHandle(instance->overlapped.hEvent);
    }
    if (stop_ != nullptr)
        CloseHandle(stop_);
}

bool Receiver::listen(int pipe)
{
    const std::string path = "\\\\.\\pipe\\" + names_[pipe];
    auto instance = std::make_unique<Instance>();
    instance->pipe = pipe;
    instance->handle = CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                        PIPE_UNLIMITED_INSTANCES, kPipeBuffer, kPipeBuffer, 0, nullptr);
    if (instance->handle == INVALID_HANDLE_VALUE)
        return false;
    instance->overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ConnectNamedPipe(instance->handle, &instance->overlapped)) {
        const DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED)
            SetEvent(instance->overlapped.hEvent);
        else if (error != ERROR_IO_PENDING) {
            CloseHandle(instance->handle);
            CloseHandle(instance->overlapped.hEvent);
            return false;
        }
    }
    instances_.push_back(std::move(instance));
    return true;
}

// The server thread learns of a closed client only when its pending read
// fails, which can come after a test has already counted that client (the
// driver's short query opens come and go during a scan). Asking the pipe
// itself tells at once.
bool Receiver::alive(const Instance& instance)
{
    DWORD available = 0;
    return instance.connected &&
           PeekNamedPipe(instance.handle, nullptr, 0, nullptr, &available, nullptr);
}

void Receiver::remove(Instance* instance)
{
    CloseHandle(instance->handle);
    CloseHandle(instance->overlapped.hEvent);
    instances_.erase(std::find_if(instances_.begin(), instances_.end(),
                                  [&](const auto& p) { return p.get() == instance; }));
}

void Receiver::onSignalled(Instance& instance)
{
    DWORD bytes = 0;
    if (!instance.connected) {
        instance.connected = true;
        listen(instance.pipe);
    } else if (GetOverlappedResult(instance.handle, &instance.overlapped, &bytes, FALSE) ||
               GetLastError() == ERROR_MORE_DATA) {
        // A client that wrote: ignore it and keep watching.
    } else {
        remove(&instance);
        return;
    }
    ResetEvent(instance.overlapped.hEvent);
    if (!ReadFile(instance.handle, instance.sink, sizeof instance.sink, nullptr, &instance.overlapped)) {
        const DWORD error = GetLastError();
        if (error == ERROR_MORE_DATA)
            SetEvent(instance.overlapped.hEvent);
        else if (error != ERROR_IO_PENDING)
            remove(&instance);
    }
}

void Receiver::serve()
{
    for (;;) {
        std::vector<HANDLE> events{stop_};
        std::vector<Instance*> owners{nullptr};
        {
            std::lock_guard lock(mutex_);
            for (auto& instance : instances_) {
                if (events.size() == MAXIMUM_WAIT_OBJECTS)
                    break;
                events.push_back(instance->overlapped.hEvent);
                owners.push_back(instance.get());
            }
        }
        const DWORD which = WaitForMultipleObjects(DWORD(events.size()), events.data(), FALSE, INFINITE);
        if (which == WAIT_OBJECT_0 || which >= WAIT_OBJECT_0 + events.size())
            return;
        std::lock_guard lock(mutex_);
        onSignalled(*owners[which - WAIT_OBJECT_0]);
    }
}

int Receiver::send(const std::string& name, const std::uint8_t* bytes, std::size_t length)
{
    // The driver opens the pipe in byte read mode and reads 32 bytes at a
    // time, so reports queued in a burst would run together. A HID device
    // returns one report per read: each report travels as a 32-byte record.
    std::uint8_t record[kRecordSize] = {};
    if (length > kRecordSize)
        return 0;
    std::memcpy(record, bytes, length);

    std::lock_guard lock(mutex_);
    int reached = 0;
    for (auto& instance : instances_) {
        if (!alive(*instance) || names_[instance->pipe] != name)
            continue;
        OVERLAPPED write{};
        write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        DWORD written = 0;
        BOOL ok = WriteFile(instance->handle, record, kRecordSize, &written, &write);
        if (!ok && GetLastError() == ERROR_IO_PENDING)
            ok = GetOverlappedResult(instance->handle, &write, &written, TRUE);
        CloseHandle(write.hEvent);
        if (ok && written == kRecordSize)
            ++reached;
    }
    return reached;
}

int Receiver::clients(const std::string& name)
{
    std::lock_guard lock(mutex_);
    return int(std::count_if(instances_.begin(), instances_.end(), [&](const auto& instance) {
        return alive(*instance) && names_[instance->pipe] == name;
    }));
}

bool Receiver::waitForClients(const std::string& name, int count, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (clients(name) != count) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

}  // namespace kbdsim
