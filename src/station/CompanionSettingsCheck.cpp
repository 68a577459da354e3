#include "station/CompanionSettingsCheck.h"
#include "remote/LinkAddress.h"
#include "res/resource.h"
#include "station/HostNameCheck.h"

namespace {

constexpr MonoMs kCompanionReconnectCapMs = 5000;

} // namespace

SettingsProblem CheckCompanionSettings(const CompanionSettings& values) {
    if (!values.host.empty() && !IsValidHost(values.host))
        return {IDS_COMPANION_HOST_INVALID, IDC_COMPANION_HOST};
    if (values.port < 1 || values.port > 65535)
        return {IDS_COMPANION_PORT_RANGE, IDC_COMPANION_PORT};
    if (!ParseKeyboardLayoutName(values.keyboardLayout))
        return {IDS_COMPANION_LAYOUT_INVALID, IDC_COMPANION_LAYOUT};
    return {};
}

ConnectionTarget CompanionTarget(const CompanionSettings& values) {
    ConnectionTarget target;
    target.reconnectCapMs = kCompanionReconnectCapMs;
    if (values.host.empty() || !CheckCompanionSettings(values).Ok())
        return target;
    target.host = CanonicalDottedAddress(values.host);
    target.port = static_cast<std::uint16_t>(values.port);
    return target;
}
