#include "linux/TextsLinux.h"

#include "res/resource.h"

namespace {

const struct {
    unsigned id;
    const char* text;
} kStrings[] = {
#include "ProgramStrings.inc"
};

} // namespace

std::string ProgramTextsLinux::Load(unsigned id) const {
    for (const auto& entry : kStrings)
        if (entry.id == id)
            return entry.text;
    return {};
}
