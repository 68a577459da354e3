#include "winfx/TextFormat.h"

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 16);
    std::size_t nextInOrder = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        const char kind = pattern[i + 1];
        std::size_t n = args.size();
        if (kind >= '1' && kind <= '9')
            n = static_cast<std::size_t>(kind - '1');
        else if (kind == 's' || kind == 'd')
            n = nextInOrder++;
        else if (kind == '%') {
            out += '%';
            ++i;
            continue;
        }
        if (n < args.size()) {
            out += *(args.begin() + n);
            ++i;
            continue;
        }
        out += c;
    }
    return out;
}
