#pragma once
// The network hub of a POSIX station: the portable NetworkHub over non-blocking sockets and poll(),
// an eventfd for the wake-up, name lookups on threads of their own (a numeric address answered at
// once: a static binary has no name service), and a std::thread. News is told through a file
// descriptor the station adds to its own poll or epoll set, and to a callback if one is given. This
// station has no TLS: a connection that asks for it fails with a status that says so.
#include "connections/NetworkHub.h"

#include <functional>
#include <string_view>

class NetworkHubPosix final : public NetworkHub {
public:
    // Called on the network thread, so it must only hand over (write a pipe, set a flag).
    using Notify = std::function<void()>;
    // What a peer refused or remarked, one line, on the network thread.
    using Log = std::function<void(std::string_view line)>;

    explicit NetworkHubPosix(NetworkTimes times = {}, Notify notify = {}, Log log = {});
    ~NetworkHubPosix() override;

    // Readable while news waits (POLLIN, EPOLLIN); TakeNews empties it before it reads the news.
    int NewsFd() const;
    std::vector<std::size_t> TakeNews() override;

    struct Bell;

private:
    NetworkHubPosix(NetworkTimes times, std::shared_ptr<Bell> bell);
    std::shared_ptr<Bell> bell_;
};
