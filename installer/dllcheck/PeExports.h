#pragma once
// Reads what a Windows DLL file says about itself without loading it: the machine it was built
// for, whether it is a DLL, and the names it exports. The installer uses it to check the
// interception.dll a user points at, whatever the installer's own architecture.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr uint16_t kMachineX86 = 0x014C;
inline constexpr uint16_t kMachineX64 = 0x8664;

struct PeExports {
    bool ok = false;
    std::string error; // what the bytes are instead of a readable PE file, when !ok
    uint16_t machine = 0;
    bool isDll = false;
    std::vector<std::string> names;
};

// Never reads outside the bytes given, whatever they hold.
PeExports ReadPeExports(std::span<const uint8_t> file);

// The verdict on a candidate interception.dll for a program built for `machine`: a DLL of that
// machine exporting every function the program imports. message is "ok", or what the file is
// instead, to follow "it is".
struct DllVerdict {
    bool ok = false;
    std::string message;
};
DllVerdict CheckInterceptionDll(std::span<const uint8_t> file, uint16_t machine);

// "x64", "x86" or the number in hex.
std::string MachineName(uint16_t machine);
