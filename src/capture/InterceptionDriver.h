#pragma once
// The driver table bound at start-up to interception.dll beside the program (Windows builds only).
#include "capture/DriverApi.h"
#include "capture/DriverBinding.h"

#include <string>

// The library's functions; without a usable library, AbsentDriverApi(). The first call loads
// the library and binds the table; it stays loaded to the end of the process.
const DriverApi& InterceptionDriver();
// What that first call found.
const DriverLibraryStatus& InterceptionDriverStatus();
// "x64" or "x86": the library architecture this program needs.
const char* InterceptionDriverArchitecture();

// How a library is loaded. Where kernel32 has AddDllDirectory (Windows 8 and later, Windows 7 with
// update KB2533623), LoadLibraryExW takes the search flags: the library's own dependencies come from
// the program's folder and System32 only. Elsewhere the flags are refused (error 87), so the current
// folder is taken out of the search and the full path is loaded with the altered search order.
enum class DriverLoadBranch { None, SearchFlags, AlteredSearchPath };
using AddDllDirectoryProbe = bool (*)();
// The documented probe: GetProcAddress of AddDllDirectory in kernel32.
bool KernelHasAddDllDirectory();

struct DriverLibraryBinding {
    DriverApi api{}; // complete only when status.state is Bound
    DriverLibraryStatus status;
    DriverLoadBranch branch = DriverLoadBranch::None;
    void* module = nullptr; // the loaded library (HMODULE) while bound
};
// Loads interception.dll from programFolder and binds the table; probe chooses the branch.
DriverLibraryBinding BindInterceptionLibrary(const std::wstring& programFolder, AddDllDirectoryProbe probe);
