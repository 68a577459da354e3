#pragma once
// What the user-interface thread sees of the network destinations: it starts them with their
// targets and clients, hands them each event after the REMOTE line went out and the devices they
// expose, asks them to say goodbye at Exit, and reads their status. Nothing here waits for the
// network, except Goodbye, for at most the bound it is given.
#include "connections/ConnectionClient.h"
#include "connections/ConnectionStatus.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One connection as the settings describe it; an empty host is a connection that is off (its client
// may then be null).
struct HubConnection {
    ConnectionTarget target;
    std::unique_ptr<ConnectionClient> client;
};

class ConnectionsHub {
public:
    virtual ~ConnectionsHub() = default;

    // The window told of status changes by the message WM_CONNECTIONS_STATUS (no payload).
    virtual void SetNotifyWindow(std::uintptr_t window) = 0;
    // Replaces every connection; the previous ones say goodbye and go. Statuses() follows the order
    // given. Without a connection that is on, no thread runs.
    virtual void Start(std::vector<HubConnection> connections) = 0;
    // Some connection is on: the destinations beyond the REMOTE line want every event.
    virtual bool AnyOn() const = 0;
    // An event for every connection; a connection that is down drops it.
    virtual void Post(const DestinationEvent& event) = 0;
    // The (class, index) pairs shown now, sorted.
    virtual void SetExposure(const std::vector<ExposedDevice>& devices) = 0;
    // Exit and sign-out: every connection says goodbye and closes, and the thread ends. Returns
    // after at most boundMs; what is unsent by then is dropped.
    virtual void Goodbye(MonoMs boundMs) = 0;

    // WM_CONNECTIONS_STATUS arrived: takes the news. Returns the connections whose working link
    // was lost since the last call (indexes into Statuses()).
    virtual std::vector<std::size_t> TakeNews() = 0;
    virtual const std::vector<ConnectionStatus>& Statuses() const = 0;
    // The lock lights the peers set, in the order they came, taken with the news (a station that
    // can write them asks).
    virtual std::vector<LightChange> TakeLights() { return {}; }
};
