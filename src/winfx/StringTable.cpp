#include "winfx/StringTable.h"

#include "winfx/WideText.h"
#include "winfx/WinApp.h"

std::string LoadResourceString(unsigned id) {
    // Large enough for every text of the program (the longest are the setup instructions).
    char buffer[2048];
    const int length = ::LoadStringA(WinFxResourceInstance(), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string StringTableUtf8Texts::Load(unsigned id) const {
    return Utf8FromAnsi(LoadResourceString(id));
}
