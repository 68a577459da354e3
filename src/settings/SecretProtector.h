#pragma once
// Keeps a secret (the MQTT password) in the settings file in a form that only this PC can turn back
// into the secret. On Windows it is the system's data protection; tests use a stand-in.
#include <optional>
#include <string>
#include <string_view>

class SecretProtector {
public:
    virtual ~SecretProtector() = default;
    // The protected form of secret, as bytes; nothing when the system refused.
    virtual std::optional<std::string> Protect(std::string_view secret) const = 0;
    // The secret back; nothing when the blob was made elsewhere or is damaged.
    virtual std::optional<std::string> Unprotect(std::string_view blob) const = 0;
};
