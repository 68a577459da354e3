#pragma once
// Where portable code gets the texts a user reads, by string-table id (res/resource.h): the
// program's string table (StringTableTexts) or, in a native test, a table of the test's own.
#include "winfx/TextFormat.h"

#include <initializer_list>
#include <string>
#include <string_view>

class Texts {
public:
    virtual ~Texts() = default;
    // The text of id; empty when there is none.
    virtual std::string Load(unsigned id) const = 0;
    // The text of id with its placeholders filled (see FormatText).
    std::string Format(unsigned id, std::initializer_list<std::string_view> args) const {
        return FormatText(Load(id), args);
    }
};
