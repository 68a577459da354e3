#include "BuildPath.h"

#include <windows.h>

#include <string>

namespace kve2e {

std::filesystem::path BuildPath(std::string_view path) {
    const std::string p(path);
    if (p.empty() || p[0] != '/') {
        return p;
    }
    // Wine's own conversion, which knows the prefix's drive mappings.
    using ToDos = WCHAR* (*)(const char*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto toDos =
        reinterpret_cast<ToDos>(reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
    if (toDos != nullptr) {
        if (WCHAR* dos = toDos(p.c_str()); dos != nullptr) {
            std::filesystem::path result(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return result;
        }
    }
    return std::filesystem::path("Z:" + p).make_preferred();
}

} // namespace kve2e
