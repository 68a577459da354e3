#pragma once
// Numeric ids of the configuration sections and keys. Section ids are multiples of 100; a key's id
// is its section's id plus 1 to 3. The names behind them live in SettingNames.

enum SettingId : int {
    SECTION_NETWORK = 100,
    KEY_BROADCAST_ADDRESS = 101,
    KEY_PORT = 102,
    KEY_APPLICATION_ID = 103,
    SECTION_REMOTE_CMD = 200,
    KEY_DESTINATION = 201,
    SECTION_KEYBOARDS = 300,
    KEY_KEYBOARDS_USE_AUX = 301,
    KEY_KEYBOARDS_MAIN_INDEX = 302,
    KEY_KEYBOARDS_TEXT_CMD = 303,
    KEY_KEYBOARDS_RELEASE_TEXT_CMD = 304,
    SECTION_MOUSES = 400,
    KEY_MOUSES_USE_AUX = 401,
    KEY_MOUSES_MAIN_INDEX = 402,
    KEY_MOUSES_TEXT_CMD = 403,
    SECTION_CONNECTIONS = 500,
    KEY_CONNECTIONS_STATION = 501,
};
