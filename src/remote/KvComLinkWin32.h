#pragma once
// The network link over KvCom.dll (KVCOM_init, KVCOM_send, KVCOM_close).
#include "remote/NetworkLink.h"

class KvComLink : public NetworkLink {
public:
    bool Init(std::uintptr_t window, unsigned message, const std::string& address, int port) override;
    void Send(const std::string& line) override;
    void Close() override;
};
