#pragma once
// The MQTT checks sit with the station core, which starts the connections on every station.
#include "station/MqttSettingsCheck.h"
