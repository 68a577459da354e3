#include "connections/MqttTopicText.h"
#include "connections/MqttDiscovery.h"
#include "connections/StationName.h"
#include <algorithm>
#include <cstdint>
#include <string>

bool IsValidMqttTopicText(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = 0;
        std::size_t length = 0;
        if (lead < 0x80) {
            code = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            code = lead & 0x1F;
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            code = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            code = lead & 0x07;
            length = 4;
        } else {
            return false; // a continuation byte first, an overlong lead (C0, C1) or beyond U+10FFFF
        }
        if (utf8.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (code <= 0x1F || (code >= 0x7F && code <= 0x9F))
            return false;
        if ((code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFF) >= 0xFFFE)
            return false;
        if (code == '+' || code == '#')
            return false;
        i += length;
    }
    return true;
}

bool MqttTopicsFit(std::string_view topicPrefix, std::string_view discoveryPrefix) {
    const MqttTopics topics{std::string(topicPrefix), std::string(kStationNameMax, 'S')};
    const MqttDiscovery discovery{std::string(discoveryPrefix), topics, MqttTriggers::None};
    const ExposedDevice longest{DEVICE_CLASS_KEYBOARDS, 255};
    const std::size_t bytes =
        std::max({topics.Availability(longest).size(), discovery.DeviceTopic(longest).size(),
                  discovery.LegacyTopic(longest).size()});
    return bytes <= 65'535;
}
