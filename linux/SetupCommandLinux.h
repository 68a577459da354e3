#pragma once
// "kvremote setup keyboards|mice": the setup dialog in a terminal. Asks for a key (or button) on
// each device to name, shows which device it came from, asks for its index and saves the class's
// devices to the settings file as the dialog's OK does. The devices are read without a grab, so
// their keys still reach the system meanwhile.
#include "capture/DeviceClass.h"
#include <string>

// in/out: the terminal (file descriptors). Returns the process's exit status.
int RunSetup(const std::string& iniPath, DeviceClass deviceClass, int in, int out);
