#pragma once
// A mosquitto broker of the test's own on a free loopback port, from a configuration written for it
// (anonymous, or one account from mosquitto_passwd), stopped by its process id. Retains nothing
// across a restart.
#include "ChildProcess.h"
#include <cstdint>
#include <memory>
#include <string>

class MosquittoBroker {
public:
    // Why the broker tests cannot run here ("" when they can).
    static std::string MissingReason();

    // folder: where the configuration, password file and log go. An empty user: anonymous.
    MosquittoBroker(std::string folder, std::string user = {}, std::string password = {});
    // Starts it (again, on the same port) and waits until it accepts connections.
    bool Start();
    void Stop() { process_.reset(); }
    std::uint16_t Port() const { return port_; }
    // mosquitto_sub on `topics`, each message as "MSG <retained 0|1> <topic> <payload>", ready once it
    // has subscribed; nullptr when it could not subscribe.
    std::unique_ptr<ChildProcess> Subscribe(const std::vector<std::string>& topics) const;
    // The retained messages of `topics` as they are now, as Subscribe prints them.
    std::vector<std::string> Retained(const std::vector<std::string>& topics) const;

private:
    // A mosquitto client program with this broker's address and account.
    std::unique_ptr<ChildProcess> Client(const char* program,
                                         const std::vector<std::string>& arguments) const;

    std::string folder_;
    std::string user_, password_;
    std::uint16_t port_ = 0;
    std::unique_ptr<ChildProcess> process_;
};
