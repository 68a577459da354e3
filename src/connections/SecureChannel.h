#pragma once
// TLS over one connection's socket as the network loop uses it: the handshake, then the records of
// what the client writes and the plain bytes of what the socket reads. It owns no socket: the loop
// hands it the bytes it read and sends what Outgoing() holds, so a handshake never blocks the loop
// or the other connections. Each system brings its own (or none).
#include <string>
#include <string_view>

class SecureChannel {
public:
    enum class State { Handshaking, Open, Failed };

    virtual ~SecureChannel() = default;

    // The socket is connected: the handshake's first bytes go to Outgoing().
    virtual void Start() = 0;
    // Bytes the socket read. The plain bytes they complete are appended to plain.
    virtual void Received(std::string_view bytes, std::string& plain) = 0;
    // Plain bytes to send, once Open: their records go to Outgoing().
    virtual void Seal(std::string_view plain) = 0;

    // What the socket must send, in order; the loop erases what it sent.
    virtual std::string& Outgoing() = 0;
    virtual State GetState() const = 0;
    // Failed: why, for the status line.
    virtual const std::string& Failure() const = 0;
    // Failed because the server's certificate was refused (retried at the refusal's pace).
    virtual bool CertificateRefused() const = 0;
};
