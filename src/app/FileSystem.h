#pragma once
// The few file-system questions start-up asks, behind an interface so that the command-line check,
// the configuration location and folder creation can run on a prepared file system in tests.
#include <optional>
#include <string>

// Longest path the program handles, terminator included (the platform's MAX_PATH).
constexpr std::size_t kMaxPath = 260;

class FileSystem {
public:
    enum class Kind { Missing, File, Directory };

    virtual ~FileSystem() = default;

    // What the path names, by its attributes.
    virtual Kind Attributes(const std::string& path) = 0;
    // Whether a search for the name finds anything.
    virtual bool Found(const std::string& path) = 0;
    // Creates one folder with default security; false when it could not be created.
    virtual bool MakeDirectory(const std::string& path) = 0;
    // The application-data folder shared by all users: nullopt when the query itself (its library
    // or entry) is not available, an empty text when the query failed.
    virtual std::optional<std::string> CommonAppDataFolder() = 0;
    // The folder where the profile functions place a file named without a directory.
    virtual std::string WindowsFolder() = 0;
};
