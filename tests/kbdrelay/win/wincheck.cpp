// kbdrelay_wincheck.exe: looks at another program's top-level windows for
// the end-to-end scripts.
//   visible CLASS                      prints visible, hidden or missing
//   wait CLASS visible|hidden MS       waits for that state; prints the last one
//   rect CLASS                         prints left top right bottom
//   quit CLASS                         posts WM_QUIT to the window's thread
// Exit status 0 when the window exists (wait: when the state was reached).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* state(HWND window)
{
    if (window == nullptr)
        return "missing";
    return IsWindowVisible(window) ? "visible" : "hidden";
}

int usage()
{
    std::printf("usage: visible CLASS | wait CLASS visible|hidden MS | rect CLASS | quit CLASS\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return usage();
    const char* command = argv[1];
    HWND window = FindWindowA(argv[2], nullptr);

    if (std::strcmp(command, "visible") == 0) {
        std::printf("%s\n", state(window));
        return window != nullptr ? 0 : 1;
    }
    if (std::strcmp(command, "wait") == 0 && argc == 5) {
        const DWORD limit = std::strtoul(argv[4], nullptr, 10);
        const DWORD start = GetTickCount();
        while (std::strcmp(state(window), argv[3]) != 0 && GetTickCount() - start < limit) {
            Sleep(50);
            window = FindWindowA(argv[2], nullptr);
        }
        std::printf("%s\n", state(window));
        return std::strcmp(state(window), argv[3]) == 0 ? 0 : 1;
    }
    if (window == nullptr) {
        std::printf("missing\n");
        return 1;
    }
    if (std::strcmp(command, "rect") == 0) {
        RECT rect;
        GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
        return 0;
    }
    if (std::strcmp(command, "quit") == 0) {
        PostMessageA(window, WM_QUIT, 0, 0);
        return 0;
    }
    return usage();
}
