#pragma once
// Checks the host of a network connection as typed: an IPv4 address (four decimal groups 0-255) or
// a host name (labels of letters, digits and hyphens, 1-63 characters each, no hyphen at either
// end, joined by dots, one final dot allowed), at most 253 characters. Text of digits and dots only
// must be an IPv4 address. Empty text is not a host.
#include <string_view>

bool IsValidHost(std::string_view host);
