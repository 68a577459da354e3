#include "app/ProgramTitle.h"

std::string ProgramTitle(const std::string& exePath) {
    auto slash = exePath.find_last_of("\\/");
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}
