#include "capture/HardwareIdText.h"
#include <algorithm>
#include <vector>

void NarrowLatin1(const char16_t* text, std::size_t length, std::string& out) {
    out.clear();
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(text[i] <= 0xFF ? static_cast<char>(text[i]) : '?');
    }
}

std::string HardwareIdFromBuffer(const unsigned char* buffer, std::size_t bufferSize, std::size_t byteCount,
                                 WideToAnsi narrow) {
    const std::size_t units = std::min(byteCount, bufferSize) / 2;
    std::vector<char16_t> wide;
    wide.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8));
        if (unit == 0) {
            break;
        }
        wide.push_back(unit);
    }
    std::string text;
    if (!wide.empty()) {
        narrow(wide.data(), wide.size(), text);
    }
    return text;
}
