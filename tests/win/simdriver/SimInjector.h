#pragma once
// The test's side of the simulated driver's injection socket: a UDP socket on a free loopback port
// that sends strokes and commands and reads the answers, and a second free port for the driver to
// listen on (its KVSIM_PORT). Needs the socket layer started (WSAStartup).
#include <string>

class SimInjector {
public:
    SimInjector();
    ~SimInjector();
    SimInjector(const SimInjector&) = delete;
    SimInjector& operator=(const SimInjector&) = delete;

    int DriverPort() const { return driverPort_; }
    // One datagram to the driver; no answer is read.
    void Send(const std::string& lines) const;
    // Sends and returns the driver's answer; a test failure and "" when none comes within 10 s.
    std::string Ask(const std::string& line) const;

private:
    unsigned long long socket_ = ~0ull; // SOCKET, kept out of the header
    int driverPort_ = 0;
};
