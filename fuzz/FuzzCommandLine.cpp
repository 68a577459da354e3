// The command line on arbitrary arguments: scanning, checking and resolving never fail, and a
// command line that passes the check leads to a configuration path that fits a path buffer.
#include "FakeFileSystem.h"
#include "FakeTexts.h"
#include "res/resource.h"
#include "app/CommandLine.h"
#include "app/ConfigLocation.h"
#include <string>
#include <vector>

namespace {
void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    // Arguments are separated by NUL or line-end bytes.
    std::vector<std::string> args{"kvRemote.exe"};
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        char c = static_cast<char>(data[i]);
        if (c == '\0' || c == '\n') {
            args.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    args.push_back(current);

    CommandLineOptions options = ParseCommandLine(args);
    Require(options.iniName.find_first_of("\\/") == std::string::npos);

    static const FakeTexts kTexts{
        {IDS_BAD_INI_NAME, "-i %s"}, {IDS_BAD_ALTERNATE_DIR, "-a %s"}, {IDS_CONSOLE_LINE, "kv: %s"}};
    FakeFileSystem fs;
    fs.entries = {{"C:", FileSystem::Kind::Directory}, {"C:\\file", FileSystem::Kind::File}};
    std::string message;
    bool ok = CheckCommandLine(options.iniName, options.alternateDir, fs, kTexts, message);
    Require(ok == message.empty());
    if (!ok) {
        Require(!FormatConsoleLine(kTexts, message).empty());
        return 0;
    }
    ConfigLocation location = ResolveIniPath(options.iniName, options.alternateDir, fs);
    if (options.iniName.empty())
        Require(location.iniPath.size() < kMaxPath);
    else
        Require(fs.WindowsFolder().size() + 1 + location.iniPath.size() < kMaxPath);
    return 0;
}
