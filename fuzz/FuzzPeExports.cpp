// Fuzzes the installer's PE export reader: any bytes are read without leaving them, a file read as
// fine has names of bounded length, and the verdict always says something.
#include "PeExports.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> file(data, size);
    const PeExports pe = ReadPeExports(file);
    if (pe.ok != pe.error.empty())
        std::abort();
    for (const std::string& name : pe.names)
        if (name.size() > 1024)
            std::abort();
    const DllVerdict v = CheckInterceptionDll(file, kMachineX64);
    if (v.message.empty() ||
        (v.ok && (!pe.ok || !pe.isDll || pe.machine != kMachineX64 || pe.names.size() < 9)))
        std::abort();
    return 0;
}
