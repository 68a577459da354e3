// kvdllcheck: the installer's check of a candidate interception.dll, run from its temporary
// folder. It reads the file and never loads it, so a 32-bit installer can check a 64-bit DLL.
//   kvdllcheck x64|x86 PATH
// Prints "ok", or what the file is instead (the installer shows "PATH cannot be used: it is ..."),
// and exits 0 when the file will do, 1 when it will not, 2 when the command line is wrong or the
// file cannot be read.
#include "PeExports.h"

#include <cstdio>
#include <cwchar>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || (std::wcscmp(argv[1], L"x64") != 0 && std::wcscmp(argv[1], L"x86") != 0)) {
        std::puts("usage: kvdllcheck x64|x86 PATH");
        return 2;
    }
    const uint16_t machine = std::wcscmp(argv[1], L"x64") == 0 ? kMachineX64 : kMachineX86;
    FILE* f = _wfopen(argv[2], L"rb");
    if (!f) {
        std::puts("a file that cannot be opened");
        return 2;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() < (64u << 20))
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    const DllVerdict verdict = CheckInterceptionDll(bytes, machine);
    std::puts(verdict.message.c_str());
    return verdict.ok ? 0 : 1;
}
