#pragma once
// Where the configuration file lives, and creation of the folders on the way to it.
#include "app/FileSystem.h"
#include <string>

struct ConfigLocation {
    std::string iniPath;      // full path of kvRemote.ini, or the bare -i name
    std::string configFolder; // base folder + "cfg\"; empty with an -i name
};

// With an -i name the INI path is that name alone. Otherwise the base folder is the -a directory,
// or the shared application-data folder + "Korvane\", or empty when that folder cannot be asked
// for; the file lies in its "cfg" sub-folder. Folders on the way are created.
ConfigLocation ResolveIniPath(const std::string& iniName, const std::string& alternateDir, FileSystem& fs);

// Creates, from left to right, each missing folder named before a backslash, except the first
// component (the drive) and the text after the last backslash (the file name).
void CreateFolderPath(const std::string& path, FileSystem& fs);

// The path with a backslash appended unless it already ends with one.
std::string WithTrailingBackslash(std::string path);
