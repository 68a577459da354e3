#pragma once
// The text of an INI file as lines, with lookups and line-preserving edits. Names are compared
// without regard to ASCII case, white space around names and values is ignored, and only the first
// section of a name and the first key of a name within it count for a lookup; every other line
// (comments, unknown text, line ends) is kept as it was.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
public:
    explicit IniDocument(std::string_view text = {});

    // The value after '=' with surrounding white space removed (quotes kept), if the key exists.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The key names of the first section of that name, in file order.
    std::vector<std::string> KeyNames(std::string_view section) const;
    // Replaces the first matching key's value, or adds the key (and the section) at its end.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every line of that key in every section of that name; true when anything went.
    bool RemoveKey(std::string_view section, std::string_view key);
    // Removes every section of that name with its lines; true when anything went.
    bool RemoveSection(std::string_view section);

    std::string Text() const;

private:
    struct Line {
        std::string text; // without its line end
        std::string end;  // the run of CR/LF after it (blank lines fold in here); empty at the end of file
    };
    std::vector<Line> lines_;
    std::string newLineEnd_ = "\r\n";
    bool byteOrderMark_ = false; // kept when the file is written back

    std::size_t SectionEnd(std::size_t header) const;
    std::optional<std::size_t> FindSection(std::string_view name, std::size_t from = 0) const;
    std::optional<std::size_t> FindKey(std::size_t header, std::string_view key) const;
    void EnsureEndAfter(std::size_t line);
};

// White space as the profile functions see it: C isspace plus Ctrl-Z.
bool IsIniSpace(char c);
std::string_view TrimIni(std::string_view text);
