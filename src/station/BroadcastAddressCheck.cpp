#include "station/BroadcastAddressCheck.h"

namespace {

// The last group's value of an address that passed the syntax check.
int LastGroupValue(std::string_view address) {
    int value = 0;
    for (char c : address.substr(address.rfind('.') + 1))
        value = value * 10 + (c - '0');
    return value;
}

} // namespace

bool IsValidBroadcastAddressSyntax(std::string_view address) {
    if (address.size() < 7)
        return false;
    int dots = 0;
    int digits = 0; // digits of the current group
    int value = 0;  // value of the current group
    for (char c : address) {
        if (c == '.') {
            if (digits == 0) // first character, or right after a dot
                return false;
            if (++dots > 3)
                return false;
            digits = 0;
            value = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > 3)
                return false;
            value = value * 10 + (c - '0');
            if (value > 255)
                return false;
        } else {
            return false;
        }
    }
    return dots == 3 && digits > 0;
}

BroadcastAddressVerdict ValidateBroadcastAddress(std::string_view address) {
    BroadcastAddressVerdict verdict;
    if (!IsValidBroadcastAddressSyntax(address))
        return verdict;
    if (LastGroupValue(address) == 255) {
        verdict.kind = BroadcastAddressVerdict::Accept;
        return verdict;
    }
    verdict.kind = BroadcastAddressVerdict::Ask;
    return verdict;
}
