#pragma once
// Where the user-interface thread hands what the network connections are to be told. The network
// side queues it behind the REMOTE line and never makes the caller wait.
#include "connections/DestinationEvent.h"
#include <vector>

class DestinationSink {
public:
    virtual ~DestinationSink() = default;
    // At least one connection is set up: key releases must then be reported and tracked.
    virtual bool AnyOn() const = 0;
    // One event for every connection that is on; dropped by those that are down.
    virtual void Post(const DestinationEvent& event) = 0;
    // The (class, index) shown now, after every change of the set.
    virtual void Expose(const std::vector<ExposedDevice>& devices) = 0;
};
