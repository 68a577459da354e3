#pragma once
// The profile store over the Windows private-profile functions, on one INI path.
#include "settings/ProfileStore.h"
#include <string>

class ProfileStoreWin32 : public ProfileStore {
public:
    explicit ProfileStoreWin32(std::string path) : path_(std::move(path)) {}

    std::string Read(std::string_view section, std::string_view key, std::string_view defaultText) override;
    bool Write(std::string_view section, std::string_view key, std::string_view value) override;
    std::vector<std::string> KeyNames(std::string_view section) override;
    bool DeleteKey(std::string_view section, std::string_view key) override;
    bool DeleteSection(std::string_view section) override;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
