#include "station/HostNameCheck.h"
#include "station/BroadcastAddressCheck.h"

namespace {

constexpr std::size_t kMaxHostName = 253;
constexpr std::size_t kMaxLabel = 63;

bool IsLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsLabel(std::string_view label) {
    if (label.empty() || label.size() > kMaxLabel || label.front() == '-' || label.back() == '-')
        return false;
    for (char c : label)
        if (!IsLetterOrDigit(c) && c != '-')
            return false;
    return true;
}

} // namespace

bool IsValidHost(std::string_view host) {
    if (host.find_first_not_of("0123456789.") == std::string_view::npos)
        return IsValidBroadcastAddressSyntax(host);
    if (host.back() == '.')
        host.remove_suffix(1);
    if (host.empty() || host.size() > kMaxHostName)
        return false;
    while (true) {
        const std::size_t dot = host.find('.');
        if (!IsLabel(host.substr(0, dot)))
            return false;
        if (dot == std::string_view::npos)
            return true;
        host.remove_prefix(dot + 1);
    }
}
