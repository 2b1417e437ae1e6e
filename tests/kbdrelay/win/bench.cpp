// kbdrelay_bench.exe [idle seconds]: what the library adds to a report's way
// from a completed read to the application window, and the CPU its idle
// reader uses. Runs against the simulated receiver; prints figures, judges
// nothing.
//
// Latency: each sample writes one report to a collection that a plain
// overlapped reader of this program reads (the time until its completion
// routine runs is the pipe's and the system's share), then one to the
// receiver's input collection that the library reads (the time until 0x464
// reaches the application window). The two alternate, so load on the
// machine hits both alike; the difference of the medians is the library's
// share: the reader's post, the hidden window's relay and one extra wake-up
// of the application thread.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>
#include <vector>

#include "tests/kbdrelay/win/sim_session.h"

namespace kbdsim_test {
namespace {

constexpr int kSamples = 1000;
constexpr UINT kAppMessage = 0x464;

LONGLONG now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double microseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(ticks) * 1e6 / double(frequency.QuadPart);
}

void summarize(const char* what, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[std::size_t(q * double(micros.size() - 1))]; };
    std::printf("%-44s n=%zu median %.0f us, p90 %.0f us, p99 %.0f us, max %.0f us\n", what, micros.size(),
                at(0.5), at(0.9), at(0.99), micros.back());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A plain overlapped reader on one pipe: the pipe's own share of the way.
struct PlainReader {
    HANDLE device = INVALID_HANDLE_VALUE;
    HANDLE completedEvent = nullptr;
    OVERLAPPED overlapped{};
    BYTE buffer[32];
    LONGLONG completedAt = 0;
    bool gone = false;
};

VOID CALLBACK plainCompleted(DWORD error, DWORD, LPOVERLAPPED overlapped)
{
    auto* reader = static_cast<PlainReader*>(overlapped->hEvent);
    reader->completedAt = now();
    reader->gone = error != 0;
    SetEvent(reader->completedEvent);
}

void plainReaderLoop(PlainReader* reader)
{
    while (!reader->gone) {
        reader->overlapped = OVERLAPPED{};
        reader->overlapped.hEvent = reader;
        if (!ReadFileEx(reader->device, reader->buffer, sizeof reader->buffer, &reader->overlapped,
                        plainCompleted))
            return;
        SleepEx(INFINITE, TRUE);
    }
}

double seconds(FILETIME t)
{
    return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

double threadCpu(const std::set<DWORD>& ids)
{
    double total = 0;
    for (DWORD id : ids) {
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
        FILETIME created, exited, kernel, user;
        if (thread != nullptr && GetThreadTimes(thread, &created, &exited, &kernel, &user))
            total += seconds(kernel) + seconds(user);
        if (thread != nullptr)
            CloseHandle(thread);
    }
    return total;
}

// Kernel plus user time in 100-ns units.
long long processTicks()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](FILETIME t) { return (long long)((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime); };
    return ticks(kernel) + ticks(user);
}

double processCpu()
{
    return double(processTicks()) / 1e7;
}

// Waits for the first word of a report at the application window.
bool awaitReport(Session& session)
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == session.app() && msg.message == kAppMessage && msg.wParam == 0)
            return true;
        if (msg.hwnd != session.app())
            DispatchMessageA(&msg);
    }
    return false;
}

void pumpFor(Session& session, DWORD seconds)
{
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < seconds * 1000; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, seconds * 1000 - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd != session.app())
                DispatchMessageA(&msg);
        }
    }
}

int run(DWORD idleSeconds)
{
    prepareSimulation("nul");
    kbdsim::Receiver receiver({kInput, kFeature, kConsumer});
    if (!receiver.ready()) {
        std::printf("bench: receiver pipes could not be made\n");
        return 1;
    }
    Session session("kbdrelay.dll");
    if (!session.loaded() || session.initDriver == nullptr) {
        std::printf("bench: kbdrelay.dll could not be loaded (%lu)\n", GetLastError());
        return 1;
    }
    const std::set<DWORD> before = threadIds();
    session.initDriver(session.app(), kAppMessage, 0xFF02);
    session.collect(1, 2000);
    if (!receiver.waitForClients(kInput, 1, 2000)) {
        std::printf("bench: the library's reader never opened the input\n");
        return 1;
    }
    std::set<DWORD> readers;
    for (DWORD id : threadIds()) {
        if (before.count(id) == 0)
            readers.insert(id);
    }

    // kbdrelay.dll reads only the input collection; the plain reader takes the consumer one.
    PlainReader plain;
    plain.completedEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    plain.device = CreateFileA("\\\\.\\pipe\\kbdsim-consumer", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr);
    if (plain.device == INVALID_HANDLE_VALUE || !receiver.waitForClients(kConsumer, 1, 2000)) {
        std::printf("bench: plain reader could not open its pipe\n");
        return 1;
    }
    std::thread plainThread(plainReaderLoop, &plain);

    std::vector<double> plainMicros, libraryMicros;
    const double busyBefore = processCpu();
    for (int i = 1; i <= kSamples; ++i) {
        const std::vector<std::uint8_t> report = numberedReport(i);
        const LONGLONG plainStart = now();
        receiver.send(kConsumer, report.data(), report.size());
        if (WaitForSingleObject(plain.completedEvent, 5000) != WAIT_OBJECT_0)
            break;
        plainMicros.push_back(microseconds(plain.completedAt - plainStart));

        const LONGLONG libraryStart = now();
        receiver.send(kInput, report.data(), report.size());
        if (!awaitReport(session))
            break;
        libraryMicros.push_back(microseconds(now() - libraryStart));
        Sleep(1);
    }
    const double busy = processCpu() - busyBefore;
    CloseHandle(plain.device);
    plainThread.join();
    if (int(libraryMicros.size()) != kSamples || int(plainMicros.size()) != kSamples) {
        std::printf("bench: only %zu of %d samples\n", libraryMicros.size(), kSamples);
        return 1;
    }

    summarize("write -> plain read's completion routine", plainMicros);
    summarize("write -> 0x464 at the application window", libraryMicros);
    std::printf("added by the library (difference of medians): %.0f us\n",
                median(libraryMicros) - median(plainMicros));
    std::printf("process CPU while relaying the %d samples: %.3f s\n", kSamples, busy);

    const std::set<DWORD> application{GetCurrentThreadId()};
    std::set<DWORD> others;
    for (DWORD id : threadIds()) {
        if (readers.count(id) == 0 && application.count(id) == 0)
            others.insert(id);
    }
    const double readerBefore = threadCpu(readers);
    const double applicationBefore = threadCpu(application);
    const double othersBefore = threadCpu(others);
    const long long processBefore = processTicks();
    pumpFor(session, idleSeconds);
    const double readerIdle = threadCpu(readers) - readerBefore;
    const double applicationIdle = threadCpu(application) - applicationBefore;
    const double othersIdle = threadCpu(others) - othersBefore;
    const double processIdle = double(processTicks() - processBefore) / 1e7;
    // Under Wine InitDriver's first device notification registration also
    // starts a thread of Wine's own; it is counted with the reader.
    std::printf("idle %lu s, application thread in MsgWaitForMultipleObjects:\n", idleSeconds);
    std::printf("  %zu thread(s) started by InitDriver: CPU %.1f ms\n", readers.size(), readerIdle * 1000);
    std::printf("  application thread: CPU %.1f ms; %zu other thread(s) (receiver, Wine): CPU %.1f ms\n",
                applicationIdle * 1000, others.size(), othersIdle * 1000);
    std::printf("  whole process: CPU %.1f ms\n", processIdle * 1000);
    return 0;
}

}  // namespace
}  // namespace kbdsim_test

int main(int argc, char** argv)
{
    const DWORD seconds = argc > 1 ? DWORD(std::strtoul(argv[1], nullptr, 10)) : 60;
    return kbdsim_test::run(seconds > 0 ? seconds : 60);
}
