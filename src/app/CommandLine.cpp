#include "app/CommandLine.h"
#include "base/AsciiCase.h"
#include "app/ConfigLocation.h"
#include "res/resource.h"

namespace {

bool SameOption(const std::string& arg, const char* option) {
    return SameIgnoringAsciiCase(arg, option);
}

// The configuration file's name as the -a directory leads to it.
constexpr const char* kConfigTail = "cfg\\kvRemote.ini";

bool FitsPath(std::size_t length) {
    return length < kMaxPath;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// CON, NUL, COM1, LPT3, ... with or without an extension, in any letter case: a device, never a
// file (every write to NUL "succeeds"). Trailing blanks of the base name are ignored, as Windows does.
bool IsReservedDeviceName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = Upper(c);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (base == device)
            return true;
    // COM0-9 and LPT0-9, and the superscript digits 1-3 of the ANSI code page.
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           std::string_view("0123456789\xB9\xB2\xB3").find(base[3]) != std::string_view::npos;
}

bool HasControlCharacter(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20)
            return true;
    return false;
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
        bool forbidden = iniName.find_first_of("<>:\"/\\|?*") != std::string::npos ||
                         HasControlCharacter(iniName) || IsReservedDeviceName(iniName);
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
