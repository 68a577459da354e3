#pragma once
// The injection socket: a UDP socket on 127.0.0.1 and a thread that hands every line of every
// datagram to a handler and sends the handler's answer, if any, back to the sender.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

class SimListener {
public:
    using Handler = std::function<std::optional<std::string>(std::string_view line)>;

    SimListener() = default;
    ~SimListener() { Stop(); }
    SimListener(const SimListener&) = delete;
    SimListener& operator=(const SimListener&) = delete;

    // Binds 127.0.0.1:port and starts the thread; false (with nothing running) if that fails.
    bool Start(unsigned short port, Handler handler);
    void Stop();

private:
    void Run();

    Handler handler_;
    std::uintptr_t socket_ = ~std::uintptr_t{0};
    void* readable_ = nullptr; // socket event
    void* stop_ = nullptr;     // set by Stop()
    std::thread thread_;
};
