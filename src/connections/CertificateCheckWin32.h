#pragma once
// The check of a TLS server's certificate that kvRemote makes itself (the TLS layer is asked to leave
// it to us): its chain built from what is on this PC only, never fetched, and no revocation check, so
// that it never waits on the network; then the chain checked for a server of this name, against
// Windows' trusted roots or only against the authorities of a CA file.
#include <windows.h>
#include <wincrypt.h>

#include <string>

// A CA file's certificates in a store of their own.
class CaFileWin32 {
public:
    enum class Problem { None, Unreadable, NoCertificate };

    CaFileWin32() = default;
    ~CaFileWin32();
    CaFileWin32(const CaFileWin32&) = delete;
    CaFileWin32& operator=(const CaFileWin32&) = delete;

    // Reads the PEM file at path (ANSI); its certificates are kept, the rest passed over.
    Problem Load(const std::string& path);
    HCERTSTORE Store() const { return store_; }

private:
    HCERTSTORE store_ = nullptr;
};

// Empty when certificate (with the intermediates the server sent in its store) is trusted for
// serverName; else what the status line says ("certificate not trusted", "name does not match",
// "expired", or the system's words). Without caStore, Windows' trusted roots are the anchors.
std::string CheckServerCertificateWin32(PCCERT_CONTEXT certificate, const std::string& serverName,
                                        HCERTSTORE caStore);
