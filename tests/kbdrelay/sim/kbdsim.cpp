// kbdsim.exe: the simulated receiver as a process, for tests that start
// programs linking the driver library.
//   kbdsim serve            create the collections' pipes and serve until "quit"
//   kbdsim send NAME HEX    write one report (hex bytes) to NAME's clients
//   kbdsim clients NAME     print how many clients have NAME open
//   kbdsim quit             end the server
// The collections are those of KBDSIM_DEVICES (see sim_devices.h).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/kbdrelay/sim/receiver.h"
#include "tests/kbdrelay/sim/sim_devices.h"

namespace {

constexpr char kControlPipe[] = "\\\\.\\pipe\\kbdsim-control";

std::vector<std::uint8_t> parseHex(const char* text)
{
    std::vector<std::uint8_t> bytes;
    for (const char* p = text; p[0] != '\0' && p[1] != '\0'; p += 2) {
        const char pair[3] = {p[0], p[1], '\0'};
        bytes.push_back(static_cast<std::uint8_t>(std::strtoul(pair, nullptr, 16)));
    }
    return bytes;
}

std::string handle(kbdsim::Receiver& receiver, const std::string& command, bool& quit)
{
    char verb[16] = {}, name[kbdsim::kMaxName] = {}, hex[160] = {};
    const int fields = std::sscanf(command.c_str(), "%15s %63s %159s", verb, name, hex);
    if (fields >= 1 && std::strcmp(verb, "quit") == 0) {
        quit = true;
        return "bye";
    }
    if (fields >= 2 && std::strcmp(verb, "clients") == 0)
        return std::to_string(receiver.clients(name));
    if (fields == 3 && std::strcmp(verb, "send") == 0) {
        const std::vector<std::uint8_t> bytes = parseHex(hex);
        return std::to_string(receiver.send(name, bytes.data(), bytes.size()));
    }
    return "error";
}

int serve()
{
    kbdsim::SimDevice devices[kbdsim::kMaxDevices];
    const int count = kbdsim::loadDevices(devices, kbdsim::kMaxDevices);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.emplace_back(devices[i].name);
    kbdsim::Receiver receiver(names);
    if (!receiver.ready()) {
        std::printf("kbdsim: pipes could not be created (%lu)\n", GetLastError());
        return 1;
    }
    std::printf("kbdsim: serving %d collections\n", count);
    std::fflush(stdout);

    for (bool quit = false; !quit;) {
        HANDLE control = CreateNamedPipeA(kControlPipe, PIPE_ACCESS_DUPLEX,
                                          PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1,
                                          4096, 4096, 0, nullptr);
        if (control == INVALID_HANDLE_VALUE)
            return 1;
        if (ConnectNamedPipe(control, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
            char command[256];
            DWORD read = 0;
            if (ReadFile(control, command, sizeof command - 1, &read, nullptr)) {
                command[read] = '\0';
                const std::string reply = handle(receiver, command, quit);
                DWORD written = 0;
                WriteFile(control, reply.data(), DWORD(reply.size()), &written, nullptr);
                FlushFileBuffers(control);
            }
        }
        DisconnectNamedPipe(control);
        CloseHandle(control);
    }
    return 0;
}

int request(const std::string& command)
{
    char reply[256];
    DWORD read = 0;
    // Between two requests the server makes its control pipe anew.
    BOOL ok = FALSE;
    for (int attempt = 0; attempt < 40 && !ok; ++attempt) {
        ok = CallNamedPipeA(kControlPipe, const_cast<char*>(command.c_str()), DWORD(command.size()),
                            reply, sizeof reply - 1, &read, 5000);
        if (!ok)
            Sleep(50);
    }
    if (!ok) {
        std::printf("kbdsim: no server (%lu)\n", GetLastError());
        return 2;
    }
    reply[read] = '\0';
    std::printf("%s\n", reply);
    return std::strcmp(reply, "error") == 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0)
        return serve();
    if (argc == 4 && std::strcmp(argv[1], "send") == 0)
        return request(std::string("send ") + argv[2] + " " + argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "clients") == 0)
        return request(std::string("clients ") + argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "quit") == 0)
        return request("quit");
    std::printf("usage: kbdsim serve | send NAME HEX | clients NAME | quit\n");
    return 2;
}
