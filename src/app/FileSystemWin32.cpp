#include "app/FileSystemWin32.h"
#include <windows.h>

namespace {
constexpr int kCsidlCommonAppData = 35;
using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
} // namespace

FileSystem::Kind FileSystemWin32::Attributes(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Kind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Directory : Kind::File;
}

bool FileSystemWin32::Found(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    FindClose(find);
    return true;
}

bool FileSystemWin32::MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

std::optional<std::string> FileSystemWin32::CommonAppDataFolder() {
    HMODULE library = LoadLibraryA("SHFOLDER.DLL");
    if (!library)
        return std::nullopt;
    auto query = reinterpret_cast<GetFolderPathFn>(GetProcAddress(library, "SHGetFolderPathA"));
    if (!query) {
        FreeLibrary(library);
        return std::nullopt;
    }
    char buffer[MAX_PATH] = {};
    HRESULT result = query(nullptr, kCsidlCommonAppData, nullptr, 0, buffer);
    FreeLibrary(library);
    buffer[MAX_PATH - 1] = '\0';
    // A failed query leaves the folder empty, whatever it may have put in the buffer.
    return SUCCEEDED(result) ? std::string(buffer) : std::string();
}

std::string FileSystemWin32::WindowsFolder() {
    char buffer[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}
