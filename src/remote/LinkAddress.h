#pragma once
// The broadcast address as the network link is given it.
#include <string>
#include <string_view>

// Four decimal groups of 0-255 written without leading zeros ("192.168.001.255" gives
// "192.168.1.255"), the only dotted form the link library takes. Text that is not four such groups
// comes back unchanged, for the link to refuse.
std::string CanonicalDottedAddress(std::string_view address);
