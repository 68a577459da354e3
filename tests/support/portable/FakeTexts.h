#pragma once
// Texts for portable code under test: a table of the test's own, by string-table id. A missing id
// gives "<missing id>", so a wrong id shows in the result.
#include "winfx/Texts.h"

#include <map>
#include <string>

class FakeTexts : public Texts {
public:
    FakeTexts(std::initializer_list<std::pair<const unsigned, std::string>> table) : table_(table) {}

    std::string Load(unsigned id) const override {
        const auto it = table_.find(id);
        return it == table_.end() ? "<missing " + std::to_string(id) + ">" : it->second;
    }

private:
    std::map<unsigned, std::string> table_;
};
