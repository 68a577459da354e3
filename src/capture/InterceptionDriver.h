#pragma once
// The driver table bound at start-up to interception.dll beside the program (Windows builds only).
#include "capture/DriverApi.h"
#include "capture/DriverBinding.h"

// The library's functions; without a usable library, AbsentDriverApi(). The first call loads
// the library and binds the table; it stays loaded to the end of the process.
const DriverApi& InterceptionDriver();
// What that first call found.
const DriverLibraryStatus& InterceptionDriverStatus();
// "x64" or "x86": the library architecture this program needs.
const char* InterceptionDriverArchitecture();
