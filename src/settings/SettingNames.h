#pragma once
// The table from setting id to section or key name, filled once at start-up before anything is read.
#include <map>
#include <string>

class SettingNames {
public:
    void Fill();                           // all sections and keys of SettingIds.h
    const std::string& Name(int id) const; // empty for an unknown id
    bool Empty() const { return names_.empty(); }

private:
    std::map<int, std::string> names_;
};
