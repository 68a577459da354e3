// The driver table bound by name to interception.dll, loaded from the program's own folder only
// (never through PATH or the other folders of the search order), so a program without the library,
// or with an unusable one, still starts and runs without capture.
#include "capture/InterceptionDriver.h"

#include <windows.h>

namespace {

struct Binding {
    DriverApi api{};
    DriverLibraryStatus status;
};

std::string LibraryPath() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "interception.dll";
}

Binding Bind() {
    Binding binding;
    DriverLibraryStatus& status = binding.status;
    status.path = LibraryPath();
    // A broken file must not raise the system's own error box.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE library = ::LoadLibraryExA("interception.dll", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
    status.error = library ? 0 : ::GetLastError();
    ::SetThreadErrorMode(oldMode, nullptr);
    if (!library) {
        if (::GetFileAttributesA(status.path.c_str()) == INVALID_FILE_ATTRIBUTES)
            status.state = DriverLibraryState::Missing;
        else if (status.error == ERROR_BAD_EXE_FORMAT)
            status.state = DriverLibraryState::WrongArchitecture;
        else
            status.state = DriverLibraryState::NotLoadable;
        return binding;
    }
    status.missing = BindDriverApi(binding.api, [library](const char* name) {
        return reinterpret_cast<DriverSymbol>(::GetProcAddress(library, name));
    });
    if (!status.missing.empty()) {
        status.state = DriverLibraryState::MissingFunctions;
        binding.api = {};
        ::FreeLibrary(library);
    }
    return binding;
}

const Binding& TheBinding() {
    static const Binding binding = Bind();
    return binding;
}

} // namespace

const DriverApi& InterceptionDriver() {
    const Binding& binding = TheBinding();
    return binding.status.state == DriverLibraryState::Bound ? binding.api : AbsentDriverApi();
}

const DriverLibraryStatus& InterceptionDriverStatus() {
    return TheBinding().status;
}

const char* InterceptionDriverArchitecture() {
#ifdef _WIN64
    return "x64";
#else
    return "x86";
#endif
}
