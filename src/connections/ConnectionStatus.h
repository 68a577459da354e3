#pragma once
// What the user is told about one connection: its state, where it goes and why it is down. The
// network thread makes it, the user-interface thread shows it (the Connections dialog's status
// lines, the tray tooltip).
#include "winfx/Texts.h"

#include <cstdint>
#include <string>
#include <vector>

enum class LinkState : std::uint8_t {
    Off,        // no host set: the connection is not used
    Connecting, // the first attempt since start or since the last connection, under way
    Retrying,   // an attempt failed or a connection was lost; the next one is waiting or under way
    Connected,
};

struct ConnectionStatus {
    std::string peer; // the client's PeerName
    std::string host;
    std::uint16_t port = 0;
    LinkState state = LinkState::Off;
    // Retrying: why, as Windows or the protocol says it; empty when the peer stopped answering.
    std::string reason;
    // Connected: the client's remark that follows "connected to HOST:PORT" ("as kvremoteX").
    std::string detail;
    std::uint64_t dropped = 0; // events a full queue dropped since the connection was started
    // In every state but off: the client's Warning, after the rest of the line.
    std::string warning;
    // Connected: the client's TipRemark.
    std::string tip;
    bool operator==(const ConnectionStatus&) const = default;
};

// "connected to HOST:PORT[ DETAIL]", "connecting to HOST:PORT" or "cannot reach HOST:PORT
// (REASON), retrying", then the count of dropped events when there is one; empty when off.
std::string ConnectionStatusLine(const ConnectionStatus& status, const Texts& texts);
// One line per connection in use that is not connected, and the remark of one that is connected but
// has something to say (a locked surface), for the tray tooltip.
std::vector<std::string> ConnectionsDownTipLines(const std::vector<ConnectionStatus>& statuses,
                                                 const Texts& texts);
// "HOST:PORT".
std::string HostAndPort(const ConnectionStatus& status);
