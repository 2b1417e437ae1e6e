// The far end of the simulated receiver: one named pipe per collection,
// always with a free instance for the next open, and a way to write an
// input report to every client that has a collection open.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kbdsim {

class Receiver {
public:
    explicit Receiver(const std::vector<std::string>& names);
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    bool ready() const { return ready_; }
    // Writes one report message to every client of the collection; returns
    // how many clients received it.
    int send(const std::string& name, const std::uint8_t* bytes, std::size_t length);
    // Clients that currently have the collection open.
    int clients(const std::string& name);
    // Waits until the collection has exactly `count` clients.
    bool waitForClients(const std::string& name, int count, DWORD timeoutMs);

private:
    struct Instance;
    bool listen(int pipe);
    void serve();
    void onSignalled(Instance& instance);
    void remove(Instance* instance);
    static bool alive(const Instance& instance);

    std::vector<std::string> names_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Instance>> instances_;
    HANDLE stop_ = nullptr;
    std::thread server_;
    bool ready_ = false;
};

}  // namespace kbdsim
