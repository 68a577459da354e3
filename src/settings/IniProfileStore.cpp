#include "settings/IniProfileStore.h"
#include "settings/IniDocument.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>

namespace {

enum class LoadState { Missing, Loaded, Unreadable };

struct Loaded {
    LoadState state;
    std::string text;
};

Loaded Load(const std::string& path) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return {errno == ENOENT ? LoadState::Missing : LoadState::Unreadable, {}};
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return {LoadState::Unreadable, {}};
    return {LoadState::Loaded, std::move(text)};
}

bool Save(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fflush(file) == 0 && ok;
    return std::fclose(file) == 0 && ok;
}

// A value in matching single or double quotes is read without them.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string Cut(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), ProfileStore::kMaxValueLength)));
}

// Loads, edits and saves back only when the edit changed something.
template <typename Edit>
bool Modify(const std::string& path, Edit edit, bool createFile) {
    Loaded loaded = Load(path);
    if (loaded.state == LoadState::Unreadable)
        return false;
    if (loaded.state == LoadState::Missing && !createFile)
        return true;
    IniDocument document(loaded.text);
    if (!edit(document))
        return true;
    return Save(path, document.Text());
}

} // namespace

std::string IniProfileStore::Read(std::string_view section, std::string_view key,
                                  std::string_view defaultText) {
    // Trailing blanks of a default are dropped, as the Windows profile functions do.
    while (!defaultText.empty() && defaultText.back() == ' ')
        defaultText.remove_suffix(1);
    Loaded loaded = Load(path_);
    if (loaded.state != LoadState::Loaded)
        return Cut(defaultText);
    std::optional<std::string> value = IniDocument(loaded.text).Find(section, key);
    return value ? Cut(Unquote(*value)) : Cut(defaultText);
}

bool IniProfileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    // Leading white space of a value is not stored, so that it reads back as written.
    while (!value.empty() && IsIniSpace(value.front()))
        value.remove_prefix(1);
    return Modify(
        path_,
        [&](IniDocument& document) {
            document.Set(section, key, value);
            return true;
        },
        true);
}

std::vector<std::string> IniProfileStore::KeyNames(std::string_view section) {
    Loaded loaded = Load(path_);
    if (loaded.state != LoadState::Loaded)
        return {};
    return IniDocument(loaded.text).KeyNames(section);
}

bool IniProfileStore::DeleteKey(std::string_view section, std::string_view key) {
    return Modify(
        path_, [&](IniDocument& document) { return document.RemoveKey(section, key); }, false);
}

bool IniProfileStore::DeleteSection(std::string_view section) {
    return Modify(
        path_, [&](IniDocument& document) { return document.RemoveSection(section); }, false);
}
