#include "remote/KvComLinkWin32.h"

#include "kvcom/KvCom.h"

void KvComLink::Init(std::uintptr_t window, unsigned message, const std::string& address, int port) {
    KVCOM_init(reinterpret_cast<void*>(window), message, address.c_str(), port);
}

void KvComLink::Send(const std::string& line) {
    KVCOM_send(line.c_str());
}

void KvComLink::Close() {
    KVCOM_close();
}
