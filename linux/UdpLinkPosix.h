#pragma once
// The network link over a POSIX datagram socket: each REMOTE line goes out as one broadcast
// datagram of its bytes, as KvCom.dll sends it, so every receiver reads it unchanged. Numeric
// addresses only (a static station has no name service).
#include "remote/NetworkLink.h"

class UdpLinkPosix : public NetworkLink {
public:
    ~UdpLinkPosix() override { Close(); }
    bool Init(std::uintptr_t window, unsigned message, const std::string& address, int port) override;
    void Send(const std::string& line) override;
    void Close() override;
    bool IsOpen() const { return socket_ >= 0; }

private:
    int socket_ = -1;
    unsigned char destination_[16] = {}; // sockaddr_in
};
