#include "remote/KeyReleases.h"
#include "remote/CommandComposer.h"
#include "remote/RemoteLine.h"
#include <algorithm>

void KeyReleases::Pressed(int device, int key, std::int32_t code, std::int16_t modifiers, int index,
                          const SettingsValues& settings) {
    if (settings.keyboards.releaseTextCmd.empty())
        return;
    std::erase_if(held_, [&](const Held& held) { return held.device == device && held.key == key; });
    held_.push_back({device, key, code, modifiers, index, settings.applicationId, settings.destination,
                     settings.keyboards.releaseTextCmd});
}

std::optional<ReleaseLine> KeyReleases::Released(int device, int key, std::int16_t modifiers) {
    const auto found = std::find_if(held_.begin(), held_.end(), [&](const Held& held) {
        return held.device == device && held.key == key;
    });
    if (found == held_.end())
        return std::nullopt;
    ReleaseLine line = LineOf(*found, modifiers);
    held_.erase(found);
    return line;
}

std::vector<ReleaseLine> KeyReleases::Force(int device) {
    std::vector<ReleaseLine> lines;
    std::erase_if(held_, [&](const Held& held) {
        if (device != 0 && held.device != device)
            return false;
        lines.push_back(LineOf(held, held.modifiers));
        return true;
    });
    return lines;
}

ReleaseLine KeyReleases::LineOf(const Held& held, std::int16_t modifiers) {
    ReleaseLine out;
    out.command = ComposeCommand(held.command, DEVICE_CLASS_KEYBOARDS, held.code, modifiers,
                                 EventIndex(held.index), 0, 0);
    out.line = FormatRemoteLine(held.applicationId, held.destination, out.command);
    return out;
}
