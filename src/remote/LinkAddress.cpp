#include "remote/LinkAddress.h"

#include <algorithm>

std::string CanonicalDottedAddress(std::string_view address) {
    std::string canonical;
    std::size_t pos = 0;
    for (int group = 0; group < 4; ++group) {
        const std::size_t end = std::min(address.find('.', pos), address.size());
        const std::string_view digits = address.substr(pos, end - pos);
        // Three dots exactly: the last group runs to the end, the others end at a dot.
        if (digits.empty() || digits.size() > 3 || (group < 3) != (end < address.size()))
            return std::string(address);
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::string(address);
            value = value * 10 + (c - '0');
        }
        if (value > 255)
            return std::string(address);
        if (group > 0)
            canonical += '.';
        canonical += std::to_string(value);
        pos = end + 1;
    }
    return canonical;
}
