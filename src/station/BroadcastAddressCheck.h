#pragma once
// Checks a broadcast address typed into the settings: dotted IPv4 of four decimal groups 0-255
// (leading zeros allowed, 010 is 10). An address that does not end in 255 is put to the user
// (IDS_CONFIRM_BROADCAST with the address).
#include <string_view>

struct BroadcastAddressVerdict {
    enum Kind { Invalid, Accept, Ask };
    Kind kind = Invalid;
};

bool IsValidBroadcastAddressSyntax(std::string_view address);

BroadcastAddressVerdict ValidateBroadcastAddress(std::string_view address);
