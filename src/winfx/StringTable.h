#pragma once
// The program's string table: the one loader of its texts.
#include "winfx/Texts.h"

#include <string>

// The text of id from the program's resources (WinFxResourceInstance); empty when there is none.
std::string LoadResourceString(unsigned id);

class StringTableTexts : public Texts {
public:
    std::string Load(unsigned id) const override { return LoadResourceString(id); }
};

// The same texts in UTF-8, for messages that also name a path in UTF-8 (shown with MessageBoxW).
class StringTableUtf8Texts : public Texts {
public:
    std::string Load(unsigned id) const override;
};
