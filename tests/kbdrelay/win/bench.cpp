// kbdrelay_bench.exe [idle seconds]: what the library adds to a report's way
// from a completed read to the application window, and the CPU its idle
// readers use. Runs against the simulated receiver; prints figures, judges
// nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/kbdrelay/win/sim_session.h"

namespace kbdsim_test {
namespace {

constexpr int kSamples = 500;
constexpr UINT kAppMessage = 0x464;

double ticksPerMicrosecond()
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(frequency.QuadPart) / 1e6;
}

LONGLONG now()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

void summarize(const char* what, std::vector<double> micros)
{
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) { return micros[std::size_t(q * (micros.size() - 1))]; };
    std::printf("%-44s n=%zu median %.0f us, p90 %.0f us, p99 %.0f us, max %.0f us\n", what, micros.size(),
                at(0.5), at(0.9), at(0.99), micros.back());
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Completion times of a plain overlapped reader on the input pipe: the
// pipe's own share of the way.
struct PlainReader {
    HANDLE device = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    BYTE buffer[32];
    std::vector<LONGLONG> completed;
    bool done = false;
};

VOID CALLBACK plainCompleted(DWORD error, DWORD, LPOVERLAPPED overlapped)
{
    auto* reader = static_cast<PlainReader*>(overlapped->hEvent);
    if (error != 0) {
        reader->done = true;
        return;
    }
    reader->completed.push_back(now());
}

std::vector<double> plainReadLatency(kbdsim::Receiver& receiver)
{
    PlainReader reader;
    reader.device = CreateFileA("\\\\.\\pipe\\kbdsim-input", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    std::vector<LONGLONG> sent;
    if (reader.device == INVALID_HANDLE_VALUE)
        return {};
    receiver.waitForClients(kInput, 1, 2000);
    std::thread thread([&] {
        while (!reader.done && int(reader.completed.size()) < kSamples) {
            reader.overlapped = OVERLAPPED{};
            reader.overlapped.hEvent = &reader;
            if (!ReadFileEx(reader.device, reader.buffer, sizeof reader.buffer, &reader.overlapped,
                            plainCompleted))
                break;
            SleepEx(INFINITE, TRUE);
        }
    });
    for (int i = 1; i <= kSamples; ++i) {
        const std::vector<std::uint8_t> report = numberedReport(i);
        sent.push_back(now());
        receiver.send(kInput, report.data(), report.size());
        Sleep(2);
    }
    thread.join();
    CloseHandle(reader.device);
    receiver.waitForClients(kInput, 0, 2000);

    std::vector<double> micros;
    const double perMicro = ticksPerMicrosecond();
    for (std::size_t i = 0; i < reader.completed.size() && i < sent.size(); ++i)
        micros.push_back(double(reader.completed[i] - sent[i]) / perMicro);
    return micros;
}

std::vector<double> libraryLatency(Session& session, kbdsim::Receiver& receiver)
{
    std::vector<double> micros;
    const double perMicro = ticksPerMicrosecond();
    for (int i = 1; i <= kSamples; ++i) {
        const std::vector<std::uint8_t> report = numberedReport(i);
        const LONGLONG start = now();
        receiver.send(kInput, report.data(), report.size());
        // Wait for the report's first word at the application window.
        for (bool arrived = false; !arrived;) {
            MSG msg;
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
                return micros;
            if (msg.hwnd == session.app() && msg.message == kAppMessage && msg.wParam == 0) {
                micros.push_back(double(now() - start) / perMicro);
                arrived = true;
            } else if (msg.hwnd != session.app()) {
                DispatchMessageA(&msg);
            }
        }
        Sleep(2);
    }
    return micros;
}

double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](FILETIME t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// The application thread waits for messages while the readers idle.
double idleCpu(Session& session, DWORD seconds)
{
    const double before = cpuSeconds();
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < seconds * 1000; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, seconds * 1000 - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd != session.app())
                DispatchMessageA(&msg);
        }
    }
    return cpuSeconds() - before;
}

int run(DWORD idleSeconds)
{
    prepareSimulation("nul");
    kbdsim::Receiver receiver({kInput, kFeature, kConsumer});
    if (!receiver.ready()) {
        std::printf("bench: receiver pipes could not be made\n");
        return 1;
    }
    const std::vector<double> plain = plainReadLatency(receiver);
    if (plain.empty()) {
        std::printf("bench: plain reader could not open the input pipe\n");
        return 1;
    }

    Session session("kbdrelay.dll");
    if (!session.loaded() || session.initDriver == nullptr) {
        std::printf("bench: kbdrelay.dll could not be loaded (%lu)\n", GetLastError());
        return 1;
    }
    session.initDriver(session.app(), kAppMessage, 0xFF02);
    session.collect(1, 2000);
    if (!receiver.waitForClients(kInput, 1, 2000)) {
        std::printf("bench: the library's reader never opened the input\n");
        return 1;
    }
    const double busyBefore = cpuSeconds();
    const std::vector<double> library = libraryLatency(session, receiver);
    const double busy = cpuSeconds() - busyBefore;
    if (library.size() != std::size_t(kSamples)) {
        std::printf("bench: only %zu of %d reports arrived\n", library.size(), kSamples);
        return 1;
    }

    summarize("write -> plain read completed", plain);
    summarize("write -> 0x464 at the application window", library);
    std::printf("added by the library (difference of medians): %.0f us\n", median(library) - median(plain));

    // Shows that the CPU counter moves at all when there is work.
    std::printf("CPU while relaying the %d reports above: %.3f s\n", kSamples, busy);

    const int readers = receiver.clients(kInput);
    const double cpu = idleCpu(session, idleSeconds);
    std::printf("idle: %d reader(s), application thread waiting for messages, %lu s: process CPU %.3f s "
                "(%.3f%% of one core)\n",
                readers, idleSeconds, cpu, 100.0 * cpu / idleSeconds);
    return 0;
}

}  // namespace
}  // namespace kbdsim_test

int main(int argc, char** argv)
{
    const DWORD seconds = argc > 1 ? DWORD(std::strtoul(argv[1], nullptr, 10)) : 60;
    return kbdsim_test::run(seconds > 0 ? seconds : 60);
}
