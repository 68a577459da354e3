#pragma once
// A prepared file system of Windows-style paths for start-up tests: entries are files or folders,
// creation is recorded, and the shared-folder query answers what the test says.
#include "app/FileSystem.h"
#include <map>
#include <set>
#include <vector>

class FakeFileSystem : public FileSystem {
public:
    std::map<std::string, Kind> entries;
    std::set<std::string> refuseCreate;
    std::vector<std::string> created;
    std::optional<std::string> commonAppData = std::string("C:\\ProgramData");
    std::string windowsFolder = "C:\\windows";

    Kind Attributes(const std::string& path) override {
        std::string name = path;
        // The attributes of "D:\dir\" are those of "D:\dir".
        if (name.size() > 3 && name.back() == '\\')
            name.pop_back();
        auto it = entries.find(name);
        return it == entries.end() ? Kind::Missing : it->second;
    }
    bool Found(const std::string& path) override { return entries.count(path) != 0; }
    bool MakeDirectory(const std::string& path) override {
        if (entries.count(path) || refuseCreate.count(path))
            return false;
        entries[path] = Kind::Directory;
        created.push_back(path);
        return true;
    }
    std::optional<std::string> CommonAppDataFolder() override { return commonAppData; }
    std::string WindowsFolder() override { return windowsFolder; }
};
