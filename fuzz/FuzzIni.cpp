// Our INI store on arbitrary file content: reads never fail, and a write, a key delete and a
// section delete each take effect as the next read sees it.
#include "settings/IniProfileStore.h"
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

const std::string& Path() {
    static const std::string path = "/tmp/fuzz_ini_" + std::to_string(getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    std::FILE* file = std::fopen(Path().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    IniProfileStore store(Path());
    for (const char* key : {"BroadcastAddress", "Port", "ApplicationId"})
        Require(store.Read("Network", key, "d").size() <= ProfileStore::kMaxValueLength);
    store.Read("Keyboards", "Device1", "");

    Require(store.Write("Network", "Port", "9871"));
    Require(store.Read("network", "PORT", "d") == "9871");
    std::string address = store.Read("Network", "BroadcastAddress", "none");
    Require(store.Write("Keyboards", "UseAux", "1"));
    Require(store.Read("Network", "BroadcastAddress", "none") == address);

    Require(store.DeleteKey("Network", "Port"));
    Require(store.Read("Network", "Port", "d") == "d");
    Require(store.DeleteSection("Keyboards"));
    Require(store.Read("Keyboards", "UseAux", "d") == "d");
    std::remove(Path().c_str());
    return 0;
}
