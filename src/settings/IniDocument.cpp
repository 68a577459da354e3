#include "settings/IniDocument.h"

bool IsIniSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string_view TrimIni(std::string_view text) {
    while (!text.empty() && IsIniSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsIniSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

namespace {

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// A section header "[name]" (up to the last ']'); the name without surrounding white space.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = TrimIni(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    auto close = line.rfind(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return TrimIni(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view name;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    line = TrimIni(line);
    auto eq = line.find('=');
    if (line.empty() || eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{TrimIni(line.substr(0, eq)), TrimIni(line.substr(eq + 1))};
}

// a + b + c, built by appending (GCC's -Wrestrict misfires on chained operator+ at -O3).
std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string text;
    text.reserve(a.size() + b.size() + c.size());
    text.append(a).append(b).append(c);
    return text;
}

std::string_view FirstLineEnd(std::string_view run) {
    if (run.substr(0, 2) == "\r\n")
        return run.substr(0, 2);
    return run.substr(0, 1);
}

} // namespace

IniDocument::IniDocument(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
        byteOrderMark_ = true;
    }
    bool endSeen = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t stop = text.find_first_of("\r\n", pos);
        if (stop == std::string_view::npos)
            stop = text.size();
        std::size_t next = text.find_first_not_of("\r\n", stop);
        if (next == std::string_view::npos)
            next = text.size();
        Line line{std::string(text.substr(pos, stop - pos)), std::string(text.substr(stop, next - stop))};
        if (!endSeen && !line.end.empty()) {
            newLineEnd_ = std::string(FirstLineEnd(line.end));
            endSeen = true;
        }
        lines_.push_back(std::move(line));
        pos = next;
    }
}

std::size_t IniDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !HeaderName(lines_[i].text))
        ++i;
    return i;
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view name, std::size_t from) const {
    name = TrimIni(name);
    if (name.empty())
        return std::nullopt;
    for (std::size_t i = from; i < lines_.size(); ++i) {
        auto header = HeaderName(lines_[i].text);
        if (header && SameName(*header, name))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(std::size_t header, std::string_view key) const {
    key = TrimIni(key);
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        auto parsed = ParseKeyLine(lines_[i].text);
        if (parsed && SameName(parsed->name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    auto header = FindSection(section);
    if (!header)
        return std::nullopt;
    auto line = FindKey(*header, key);
    if (!line)
        return std::nullopt;
    return std::string(ParseKeyLine(lines_[*line].text)->value);
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    auto header = FindSection(section);
    if (!header)
        return names;
    const std::size_t end = SectionEnd(*header);
    for (std::size_t i = *header + 1; i < end; ++i)
        if (auto parsed = ParseKeyLine(lines_[i].text); parsed && !parsed->name.empty())
            names.emplace_back(parsed->name);
    return names;
}

// Gives the line a line end (it may be the last line of the file) so that a line can follow it.
void IniDocument::EnsureEndAfter(std::size_t line) {
    if (lines_[line].end.empty())
        lines_[line].end = newLineEnd_;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    key = TrimIni(key);
    auto header = FindSection(section);
    if (!header) {
        if (!lines_.empty())
            EnsureEndAfter(lines_.size() - 1);
        lines_.push_back({Joined("[", TrimIni(section), "]"), newLineEnd_});
        lines_.push_back({Joined(key, "=", value), newLineEnd_});
        return;
    }
    if (auto line = FindKey(*header, key)) {
        lines_[*line].text = Joined(ParseKeyLine(lines_[*line].text)->name, "=", value);
        return;
    }
    std::size_t end = SectionEnd(*header);
    EnsureEndAfter(end - 1);
    std::string oldEnd = lines_[end - 1].end;
    lines_[end - 1].end = std::string(FirstLineEnd(oldEnd));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), Line{Joined(key, "=", value), oldEnd});
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    key = TrimIni(key);
    bool removed = false;
    for (auto header = FindSection(section); header; header = FindSection(section, *header + 1)) {
        std::size_t end = SectionEnd(*header);
        for (std::size_t i = *header + 1; i < end;) {
            auto parsed = ParseKeyLine(lines_[i].text);
            if (parsed && SameName(parsed->name, key)) {
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
                --end;
                removed = true;
            } else {
                ++i;
            }
        }
    }
    return removed;
}

bool IniDocument::RemoveSection(std::string_view section) {
    bool removed = false;
    while (auto header = FindSection(section)) {
        std::size_t end = SectionEnd(*header);
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(end));
        removed = true;
    }
    return removed;
}

std::string IniDocument::Text() const {
    std::string text = byteOrderMark_ ? "\xEF\xBB\xBF" : "";
    for (const Line& line : lines_)
        text += line.text + line.end;
    return text;
}
