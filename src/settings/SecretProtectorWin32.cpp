#include "settings/SecretProtectorWin32.h"

#include "winfx/Trace.h"

namespace {

DATA_BLOB BlobOf(std::string_view bytes) {
    DATA_BLOB blob{};
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

// The output's bytes, with the system's copy freed (and wiped first when it held the secret).
std::string TakeBlob(DATA_BLOB& blob, bool secret) {
    std::string bytes(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    if (secret)
        ::SecureZeroMemory(blob.pbData, blob.cbData);
    ::LocalFree(blob.pbData);
    return bytes;
}

} // namespace

std::optional<std::string> SecretProtectorWin32::Protect(std::string_view secret) const {
    DATA_BLOB in = BlobOf(secret);
    DATA_BLOB out{};
    if (!protect_(&in, L"kvRemote", nullptr, nullptr, nullptr, kFlags, &out)) {
        TraceLastError("CryptProtectData");
        return std::nullopt;
    }
    return TakeBlob(out, false);
}

std::optional<std::string> SecretProtectorWin32::Unprotect(std::string_view blob) const {
    DATA_BLOB in = BlobOf(blob);
    DATA_BLOB out{};
    if (!unprotect_(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) {
        TraceLastError("CryptUnprotectData");
        return std::nullopt;
    }
    return TakeBlob(out, true);
}
