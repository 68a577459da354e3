// The driver table bound by name to interception.dll, loaded from the program's own folder only
// (never through PATH or the other folders of the search order), so a program without the library,
// or with an unusable one, still starts and runs without capture. Paths are UTF-16 here, so a
// folder of any name is found.
#include "capture/InterceptionDriver.h"

#include "winfx/WideText.h"

#include <windows.h>

namespace {

HMODULE Load(const std::wstring& path, AddDllDirectoryProbe probe, DriverLoadBranch& branch) {
    if (probe()) {
        branch = DriverLoadBranch::SearchFlags;
        return ::LoadLibraryExW(path.c_str(), nullptr,
                                LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Takes the current folder out of the search. The altered order then looks for the library's
    // dependencies in its own folder first, then in the system folders and PATH.
    branch = DriverLoadBranch::AlteredSearchPath;
    ::SetDllDirectoryW(L"");
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

const DriverLibraryBinding& TheBinding() {
    static const DriverLibraryBinding binding =
        BindInterceptionLibrary(FolderOf(ProgramFileW()), &KernelHasAddDllDirectory);
    return binding;
}

} // namespace

bool KernelHasAddDllDirectory() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel && ::GetProcAddress(kernel, "AddDllDirectory") != nullptr;
}

DriverLibraryBinding BindInterceptionLibrary(const std::wstring& programFolder, AddDllDirectoryProbe probe) {
    DriverLibraryBinding binding;
    DriverLibraryStatus& status = binding.status;
    const std::wstring path = programFolder + L"\\interception.dll";
    status.path = Utf8FromWide(path);
    // A broken file must not raise the system's own error box.
    DWORD oldMode = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE library = Load(path, probe, binding.branch);
    status.error = library ? 0 : ::GetLastError();
    ::SetThreadErrorMode(oldMode, nullptr);
    if (!library) {
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
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
        return binding;
    }
    binding.module = library;
    return binding;
}

const DriverApi& InterceptionDriver() {
    const DriverLibraryBinding& binding = TheBinding();
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
