#pragma once
// kvsim's one network exchange: a datagram to 127.0.0.1:port and, when asked, the answer.
#include <optional>
#include <string>

// Sends text; if waitMs > 0 returns the first answer within that time (nullopt on time-out).
// Returns "" without waiting when waitMs is 0 and the datagram went out; nullopt on failure.
std::optional<std::string> UdpExchange(unsigned short port, const std::string& text, int waitMs);
