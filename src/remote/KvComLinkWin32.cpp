#include "remote/KvComLinkWin32.h"

#include "kvcom/KvCom.h"

bool KvComLink::Init(std::uintptr_t window, unsigned message, const std::string& address, int port) {
    return KVCOM_init(reinterpret_cast<void*>(window), message, address.c_str(), port) == KVCOM_OK;
}

void KvComLink::Send(const std::string& line) {
    KVCOM_send(line.c_str());
}

void KvComLink::Close() {
    KVCOM_close();
}
