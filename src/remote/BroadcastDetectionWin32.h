#pragma once
// The interface-list query behind the settings' Default button: a datagram socket and
// SIO_GET_INTERFACE_LIST, ranked by DetectBroadcastAddress. Any failure gives "127.255.255.255".
// Needs the socket layer started (WSAStartup).
#include <string>

std::string DetectBroadcastAddressWin32();
