#pragma once
// What a broker accepts in the topics the program publishes under the user's prefixes. mosquitto
// closes the connection of a client that publishes anything else, and the client would then
// reconnect for ever, so the dialog refuses it first.
#include <string_view>

// Valid UTF-8 in its shortest form, with no control character (U+0000-U+001F, U+007F-U+009F), no
// noncharacter (U+FDD0-U+FDEF, U+xFFFE, U+xFFFF), no surrogate and nothing above U+10FFFF (the rules
// of mosquitto_validate_utf8), and no wildcard (+ or #).
bool IsValidMqttTopicText(std::string_view utf8);

// True when the longest topic the program publishes under these prefixes (UTF-8), for the longest
// station name and index, fits the protocol's 65,535 bytes.
bool MqttTopicsFit(std::string_view topicPrefix, std::string_view discoveryPrefix);
