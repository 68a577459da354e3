#include "app/CommandLine.h"
#include "app/ConfigLocation.h"
#include "res/resource.h"

namespace {

bool SameOption(const std::string& arg, const char* option) {
    std::size_t i = 0;
    for (; option[i] != '\0'; ++i) {
        if (i >= arg.size())
            return false;
        char c = arg[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != option[i])
            return false;
    }
    return i == arg.size();
}

// The configuration file's name as the -a directory leads to it.
constexpr const char* kConfigTail = "cfg\\kvRemote.ini";

bool FitsPath(std::size_t length) {
    return length < kMaxPath;
}

} // namespace

std::string LastPathComponent(const std::string& name) {
    auto slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

CommandLineOptions ParseCommandLine(const std::vector<std::string>& args) {
    CommandLineOptions options;
    for (std::size_t j = 1; j < args.size(); ++j) {
        const std::string& arg = args[j];
        std::string* target = nullptr;
        if (SameOption(arg, "-a") || SameOption(arg, "--alternate-appdata"))
            target = &options.alternateDir;
        else if (SameOption(arg, "-i") || SameOption(arg, "--alternate-ini"))
            target = &options.iniName;
        if (target && j + 1 < args.size()) {
            *target = args[j + 1];
            ++j;
        }
    }
    if (!options.iniName.empty())
        options.iniName = LastPathComponent(options.iniName);
    return options;
}

bool CheckCommandLine(const std::string& iniName, const std::string& alternateDir, FileSystem& fs,
                      const Texts& texts, std::string& message) {
    if (!iniName.empty()) {
        bool forbidden = iniName.find_first_of("<>:\"/\\|?*") != std::string::npos;
        // A bare name is placed in the Windows folder by the profile functions.
        bool tooLong = !FitsPath(WithTrailingBackslash(fs.WindowsFolder()).size() + iniName.size());
        if (forbidden || tooLong) {
            message = texts.Format(IDS_BAD_INI_NAME, {iniName});
            return false;
        }
    }
    if (!alternateDir.empty()) {
        std::string folder = WithTrailingBackslash(alternateDir);
        bool tooLong = !FitsPath(folder.size() + std::char_traits<char>::length(kConfigTail));
        if (!tooLong)
            CreateFolderPath(folder, fs);
        if (tooLong || fs.Attributes(alternateDir) != FileSystem::Kind::Directory) {
            message = texts.Format(IDS_BAD_ALTERNATE_DIR, {alternateDir});
            return false;
        }
    }
    return true;
}

std::string FormatConsoleLine(const Texts& texts, const std::string& message) {
    return texts.Format(IDS_CONSOLE_LINE, {message}) + "\n";
}
