#include "app/ConfigLocation.h"

std::string WithTrailingBackslash(std::string path) {
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

void CreateFolderPath(const std::string& path, FileSystem& fs) {
    std::size_t slash = path.find('\\');
    if (slash == std::string::npos)
        return;
    while ((slash = path.find('\\', slash + 1)) != std::string::npos) {
        // Folder names that would not fit in a path buffer are left alone, as are all after them.
        if (slash >= kMaxPath)
            return;
        std::string folder = path.substr(0, slash);
        if (!fs.Found(folder))
            fs.MakeDirectory(folder);
    }
}

ConfigLocation ResolveIniPath(const std::string& iniName, const std::string& alternateDir, FileSystem& fs) {
    if (!iniName.empty())
        return {iniName, {}};
    std::string base;
    if (!alternateDir.empty()) {
        base = WithTrailingBackslash(alternateDir);
        CreateFolderPath(base, fs);
    } else if (std::optional<std::string> shared = fs.CommonAppDataFolder()) {
        base = *shared + "\\Korvane\\";
        CreateFolderPath(base, fs);
    }
    ConfigLocation location;
    location.configFolder = base + "cfg\\";
    CreateFolderPath(location.configFolder, fs);
    location.iniPath = location.configFolder + "kvRemote.ini";
    return location;
}
