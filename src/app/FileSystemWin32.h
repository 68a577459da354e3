#pragma once
// The file-system questions of start-up answered by the Windows functions.
#include "app/FileSystem.h"

class FileSystemWin32 : public FileSystem {
public:
    Kind Attributes(const std::string& path) override;
    bool Found(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    std::optional<std::string> CommonAppDataFolder() override;
    std::string WindowsFolder() override;
};
