#pragma once
// Where the program's Run value (start at sign-in) is kept: the registry on Windows, a fake in tests.
// Commands are UTF-8.
#include <optional>
#include <string>

// The one Run value of the program.
class RunValueStore {
public:
    virtual ~RunValueStore() = default;
    virtual std::optional<std::string> Read() const = 0; // nullopt when there is none
    virtual bool Write(const std::string& command) = 0;
    virtual bool Remove() = 0; // true also when there was none
};
