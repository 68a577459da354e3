// Fuzzes the broadcast-address check and the settings checks around it with arbitrary bytes.
// Besides crashes it checks that an accepted address really is four groups of 1-3 digits, 0-255.
#include "res/resource.h"
#include "station/BroadcastAddressCheck.h"
#include "ui/SettingsValidation.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// An independent reading of a dotted address: exactly four groups of 1-3 digits, each at most 255.
bool FourGroups(std::string_view text, int& last) {
    int groups = 0;
    size_t pos = 0;
    while (true) {
        size_t end = pos;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        const size_t len = end - pos;
        if (len < 1 || len > 3)
            return false;
        last = std::stoi(std::string(text.substr(pos, len)));
        if (last > 255)
            return false;
        ++groups;
        if (end == text.size())
            return groups == 4;
        if (text[end] != '.' || groups == 4)
            return false;
        pos = end + 1;
    }
}

class AnsweringPrompts : public SettingsPrompts {
public:
    explicit AnsweringPrompts(bool answer) : answer_(answer) {}
    void ShowError(int) override {}
    bool AskYesNo(int, std::string_view) override { return answer_; }

private:
    bool answer_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const BroadcastAddressVerdict v = ValidateBroadcastAddress(text);

    int last = -1;
    const bool oracle = text.size() >= 7 && FourGroups(text, last);
    if ((v.kind != BroadcastAddressVerdict::Invalid) != oracle)
        std::abort();
    if (v.kind == BroadcastAddressVerdict::Accept && last != 255)
        std::abort();
    if (v.kind == BroadcastAddressVerdict::Ask && last == 255)
        std::abort();

    SettingsValues m;
    m.broadcastAddress.assign(text);
    m.keyboards.textCmd.assign(text);
    m.mouses.textCmd.assign(text);
    m.applicationId.assign(text);
    m.destination.assign(text);
    AnsweringPrompts yes(true);
    const int control = ValidateSettings(m, yes);
    if (control != 0 && control != IDC_BROADCAST_ADDRESS && control != IDC_KEYB_TEXTCMD &&
        control != IDC_APPLICATION_ID)
        std::abort();
    return 0;
}
