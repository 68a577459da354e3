#pragma once
// kvlisten's platform side: a UDP socket bound to a port on all interfaces with address reuse,
// Ctrl+C noticed as a flag, and the local clock.
#include <memory>
#include <string>

class UdpListener {
public:
    enum class Wait { Datagram, Nothing, Failed };

    UdpListener();
    ~UdpListener();
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    // Binds 0.0.0.0:port with SO_REUSEADDR (and SO_REUSEPORT where it exists), so the tool can
    // listen beside a receiver on the same machine. On failure, error says why.
    bool Open(unsigned short port, std::string& error);

    // Waits up to waitMs for one datagram; fills bytes and the sender's "address:port".
    Wait Receive(int waitMs, std::string& bytes, std::string& from);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Ctrl+C (and, on Windows, closing the console) sets a flag instead of ending the process.
void CatchInterrupt();
bool Interrupted();

// The local time now, "YYYY-MM-DD HH:MM:SS.mmm".
std::string LocalTimeText();
