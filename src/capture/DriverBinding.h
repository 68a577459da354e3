#pragma once
// The driver table bound by name to the functions a loaded driver library exports, and what the
// user is told when that library is missing or unusable. The lookup is handed in, so this is
// portable; InterceptionDriverWin32.cpp loads the file and looks the names up.
#include "capture/DriverApi.h"
#include "winfx/Texts.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A function the library exports, as a generic function pointer; nullptr when it has none.
using DriverSymbol = void (*)();
using DriverSymbolLookup = std::function<DriverSymbol(const char* name)>;

// The exported names, in the order of DriverApi's members (plain cdecl C names on both
// architectures).
inline constexpr std::array<const char*, 9> kDriverFunctionNames = {
    "interception_create_context",    "interception_destroy_context", "interception_set_filter",
    "interception_wait_with_timeout", "interception_receive",         "interception_send",
    "interception_is_keyboard",       "interception_is_mouse",        "interception_get_hardware_id",
};

// Fills api with what lookup finds and returns the names it did not find, in table order. Use the
// table only when none is missing.
std::vector<std::string> BindDriverApi(DriverApi& api, const DriverSymbolLookup& lookup);

// The table of a program without the library: no context is ever made, so capture never starts
// and nothing else of it is called; the rest answer "nothing" should anything ask.
const DriverApi& AbsentDriverApi();

// What start-up found where the library belongs.
enum class DriverLibraryState {
    Bound,             // loaded, with every function
    Missing,           // no file there
    WrongArchitecture, // the loader refused the file's format (the other architecture, or no DLL)
    NotLoadable,       // any other refusal of the loader (error)
    MissingFunctions,  // loaded, but some of the functions are not exported (missing)
};
struct DriverLibraryStatus {
    DriverLibraryState state = DriverLibraryState::Bound;
    std::string path;                 // the library's full path beside the program, UTF-8
    unsigned long error = 0;          // the loader's error code
    std::vector<std::string> missing; // names not exported
};

// The message of the settings window's first opening: what is wrong with which file and where the
// right one belongs. Empty when the library is bound. architecture: the program's, "x64" or "x86".
// UTF-8 when texts are.
std::string DriverLibraryMessage(const DriverLibraryStatus& status, std::string_view architecture,
                                 const Texts& texts);
