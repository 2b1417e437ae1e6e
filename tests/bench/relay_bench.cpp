// bench_relay.exe [samples]: a receiver report's way to the application
// window through kbdrelay.dll, against a one-hop reader that posts straight
// to the window. Both read a collection of the simulated receiver; samples
// alternate, one of each, so load on the machine hits both alike. Prints
// "relay library|onehop N median M p10 A p90 B" in microseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/kbdrelay/win/sim_session.h"

namespace {

constexpr UINT kAppMessage = 0x464;
constexpr UINT kOneHopMessage = WM_APP + 1;

LONGLONG Now() {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart;
}

double Micros(LONGLONG ticks) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(ticks) * 1e6 / static_cast<double>(f.QuadPart);
}

// The simplest reader that does the library's job: one overlapped read
// outstanding on its own thread, each completed report posted to the window.
struct OneHopReader {
  HANDLE Device = INVALID_HANDLE_VALUE;
  HWND Window = nullptr;
  OVERLAPPED Overlapped{};
  BYTE Buffer[32] = {};
  bool Gone = false;
};

VOID CALLBACK OneHopCompleted(DWORD error, DWORD, LPOVERLAPPED overlapped) {
  auto* r = static_cast<OneHopReader*>(overlapped->hEvent);
  r->Gone = error != 0;
  if (!r->Gone) {
    LPARAM word = 0;
    std::memcpy(&word, r->Buffer, 4);
    PostMessageA(r->Window, kOneHopMessage, 0, word);
  }
}

void OneHopLoop(OneHopReader* r) {
  while (!r->Gone) {
    r->Overlapped = OVERLAPPED{};
    r->Overlapped.hEvent = r;
    if (!ReadFileEx(r->Device, r->Buffer, sizeof r->Buffer, &r->Overlapped, OneHopCompleted)) return;
    SleepEx(INFINITE, TRUE);
  }
}

// Waits for `message` at `window`, dispatching everything else (the
// library's hidden window relays through this thread).
bool Await(HWND window, UINT message) {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == window && msg.message == message && msg.wParam == 0) return true;
    if (msg.hwnd != window) DispatchMessageA(&msg);
  }
  return false;
}

void Print(const char* name, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))]; };
  std::printf("relay %s %zu median %.1f p10 %.1f p90 %.1f\n", name, v.size(), at(0.5), at(0.1), at(0.9));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kbdsim_test;
  const int samples = argc > 1 ? std::atoi(argv[1]) : 1000;
  prepareSimulation("nul");
  kbdsim::Receiver receiver({kInput, kFeature, kConsumer});
  if (!receiver.ready()) return std::printf("relay: receiver pipes could not be made\n"), 1;
  Session session("kbdrelay.dll");
  if (!session.loaded() || !session.initDriver) return std::printf("relay: kbdrelay.dll not loaded\n"), 1;
  session.initDriver(session.app(), kAppMessage, 0xFF02);
  session.collect(1, 2000);
  if (!receiver.waitForClients(kInput, 1, 2000)) return std::printf("relay: no reader on the input\n"), 1;

  OneHopReader oneHop;
  oneHop.Window = session.app();
  oneHop.Device = CreateFileA("\\\\.\\pipe\\kbdsim-consumer", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                              nullptr);
  if (oneHop.Device == INVALID_HANDLE_VALUE || !receiver.waitForClients(kConsumer, 1, 2000)) {
    return std::printf("relay: the one-hop reader could not open its pipe\n"), 1;
  }
  std::thread reader(OneHopLoop, &oneHop);

  std::vector<double> library, direct;
  for (int i = 1; i <= samples; ++i) {
    const std::vector<std::uint8_t> report = numberedReport(static_cast<std::uint32_t>(i));
    const bool libraryFirst = i % 2 == 0;
    for (int k = 0; k < 2; ++k) {
      const bool viaLibrary = (k == 0) == libraryFirst;
      const LONGLONG start = Now();
      receiver.send(viaLibrary ? kInput : kConsumer, report.data(), report.size());
      if (!Await(session.app(), viaLibrary ? kAppMessage : kOneHopMessage)) break;
      (viaLibrary ? library : direct).push_back(Micros(Now() - start));
    }
    Sleep(1);
  }
  CloseHandle(oneHop.Device);
  reader.join();
  if (library.empty() || direct.empty()) return std::printf("relay: no samples\n"), 1;
  Print("library", library);
  Print("onehop", direct);
  return 0;
}
