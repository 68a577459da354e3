#include "settings/SettingNames.h"
#include "settings/SettingIds.h"

void SettingNames::Fill() {
    names_ = {
        {SECTION_NETWORK, "Network"},
        {KEY_BROADCAST_ADDRESS, "BroadcastAddress"},
        {KEY_PORT, "Port"},
        {KEY_APPLICATION_ID, "ApplicationId"},
        {SECTION_REMOTE_CMD, "RemoteCmd"},
        {KEY_DESTINATION, "Destination"},
        {SECTION_KEYBOARDS, "Keyboards"},
        {KEY_KEYBOARDS_USE_AUX, "UseAux"},
        {KEY_KEYBOARDS_MAIN_INDEX, "MainIndex"},
        {KEY_KEYBOARDS_TEXT_CMD, "TextCmd"},
        {KEY_KEYBOARDS_RELEASE_TEXT_CMD, "ReleaseTextCmd"},
        {SECTION_MOUSES, "Mouses"},
        {KEY_MOUSES_USE_AUX, "UseAux"},
        {KEY_MOUSES_MAIN_INDEX, "MainIndex"},
        {KEY_MOUSES_TEXT_CMD, "TextCmd"},
        {SECTION_COMPANION, "Companion"},
        {KEY_COMPANION_HOST, "Host"},
        {KEY_COMPANION_PORT, "Port"},
        {KEY_COMPANION_KEYBOARD_LAYOUT, "KeyboardLayout"},
        {SECTION_MQTT, "Mqtt"},
        {KEY_MQTT_HOST, "Host"},
        {KEY_MQTT_PORT, "Port"},
        {KEY_MQTT_USER, "User"},
        {KEY_MQTT_PASSWORD, "Password"},
        {KEY_MQTT_TOPIC, "Topic"},
        {KEY_MQTT_DISCOVERY, "Discovery"},
        {KEY_MQTT_KEEP_ALIVE, "KeepAlive"},
        {KEY_MQTT_DISCOVERY_PREFIX, "DiscoveryPrefix"},
        {KEY_MQTT_DOUBLE_MS, "DoubleMs"},
        {KEY_MQTT_LONG_MS, "LongMs"},
        {KEY_MQTT_TRIGGERS, "Triggers"},
        {KEY_MQTT_TLS, "Tls"},
        {KEY_MQTT_CA_FILE, "CaFile"},
        {KEY_MQTT_PASSWORD_PROTECTED, "PasswordProtected"},
        {SECTION_CONNECTIONS, "Connections"},
        {KEY_CONNECTIONS_STATION, "Station"},
    };
}

const std::string& SettingNames::Name(int id) const {
    static const std::string kNone;
    auto it = names_.find(id);
    return it == names_.end() ? kNone : it->second;
}
