#pragma once
// TLS over one connection's socket with Windows' own TLS (Schannel): the handshake, then the
// encryption of what the client writes and the decryption of what the socket reads. It owns no
// socket: the network thread hands it the bytes it read and sends what Outgoing() holds, so a
// handshake never blocks the thread or the other connections. TLS 1.2; the server's certificate is
// checked by CertificateCheckWin32 against the host name it was asked for.
#define SECURITY_WIN32
#include <windows.h>
#include <security.h>
#include <schannel.h>
#include <sspi.h>

#include "connections/CertificateCheckWin32.h"
#include "connections/SecureChannel.h"

#include <string>
#include <string_view>

class TlsChannelWin32 final : public SecureChannel {
public:
    // serverName is the host as the user gave it; caFile empty: Windows' trusted roots.
    TlsChannelWin32(std::string serverName, std::string caFile);
    ~TlsChannelWin32() override;
    TlsChannelWin32(const TlsChannelWin32&) = delete;
    TlsChannelWin32& operator=(const TlsChannelWin32&) = delete;

    // The socket is connected: the handshake's first bytes go to Outgoing().
    void Start() override;
    // Bytes the socket read. The plain bytes they complete are appended to plain.
    void Received(std::string_view bytes, std::string& plain) override;
    // Plain bytes to send, once Open: their records go to Outgoing().
    void Seal(std::string_view plain) override;

    // What the socket must send, in order; the thread erases what it sent.
    std::string& Outgoing() override { return out_; }
    State GetState() const override { return state_; }
    // Failed: why, for the status line.
    const std::string& Failure() const override { return failure_; }
    // Failed because the server's certificate was refused (retried at the refusal's pace).
    bool CertificateRefused() const override { return refused_; }

private:
    void Step();
    void Decrypt(std::string& plain);
    void Fail(std::string reason, bool refused = false);

    std::string serverName_;
    std::string caFile_;
    CredHandle credentials_{};
    CtxtHandle context_{};
    bool haveCredentials_ = false;
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    State state_ = State::Handshaking;
    std::string failure_;
    bool refused_ = false;
    std::string in_;  // bytes read and not yet used
    std::string out_; // bytes to send
};
