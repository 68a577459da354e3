#pragma once
// The program's texts on a station without Windows' string table: the same table, taken from the
// resource script at build time, so a status line reads as it does in the Connections dialog.
#include "winfx/Texts.h"

class ProgramTextsLinux final : public Texts {
public:
    std::string Load(unsigned id) const override;
};
