#include "linux/SetupCommandLinux.h"
#include "settings/IniProfileStore.h"
#include "base/LeadingDecimal.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "station/SettingsFile.h"
#include "capture/DeviceRegistry.h"
#include "capture/EvdevEvents.h"
#include "capture/HardwareIdText.h"
#include "linux/EvdevDriverLinux.h"
#include "linux/StationLinux.h"
#include <cstdio>
#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

void Say(int out, const std::string& text) {
    (void)write(out, text.data(), text.size());
}

// One line from the terminal without its line end; false at its end.
bool ReadLine(int in, std::string& line) {
    line.clear();
    char c;
    for (;;) {
        const ssize_t n = read(in, &c, 1);
        if (n <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        line.push_back(c);
    }
}

struct Watched {
    int device;
    int fd;
    std::string path;
    std::string name;
};

// The device a press (a key down or a button down) came from; 0 when the terminal spoke first.
int NextPress(std::vector<Watched>& devices, int in, bool mice) {
    std::vector<pollfd> fds{{in, POLLIN, 0}};
    for (const Watched& w : devices)
        fds.push_back({w.fd, POLLIN, 0});
    for (;;) {
        if (poll(fds.data(), fds.size(), -1) < 0)
            return 0;
        if (fds[0].revents != 0)
            return 0;
        for (std::size_t i = 1; i < fds.size(); ++i) {
            input_event e;
            while (read(fds[i].fd, &e, sizeof e) == static_cast<ssize_t>(sizeof e)) {
                const EvdevStrokes s =
                    mice ? MouseStrokes(e.type, e.code, e.value) : KeyboardStrokes(e.type, e.code, e.value);
                const bool press =
                    s.count > 0 && (mice ? (s.strokes[0].ButtonState() & 0x155) != 0 || e.type == EV_REL
                                         : (s.strokes[0].KeyState() & kKeyUp) == 0);
                // A key typed on the terminal itself is also a local keyboard's press: when the
                // terminal speaks right after it, it was typing.
                pollfd terminal{in, POLLIN, 0};
                if (press && poll(&terminal, 1, 150) == 0)
                    return devices[i - 1].device;
                if (press)
                    return 0;
            }
        }
    }
}

// Reads and drops what the devices sent meanwhile (the index typed on a main keyboard).
void Drain(const std::vector<Watched>& devices) {
    input_event e[64];
    for (const Watched& w : devices)
        while (read(w.fd, e, sizeof e) > 0) {
        }
}

} // namespace

int RunSetup(const std::string& iniPath, DeviceClass deviceClass, int in, int out) {
    const bool mice = deviceClass == DEVICE_CLASS_MICE;
    const char* kind = mice ? "mouse" : "keyboard";
    EvdevDriverLinux driver("/dev/input", [](const std::string&) {});
    RememberSavedNumbers(iniPath, driver);
    if (!driver.Open()) {
        Say(out, "kvremote: cannot read /dev/input\n");
        return 1;
    }
    StationFileLinux file(iniPath, driver);
    const SettingsValues& values = file.values;
    DeviceTable& table = file.table;
    std::vector<Watched> devices;
    for (const EvdevDriverLinux::Listed& d : driver.Devices()) {
        if (IsMouseNumber(d.device) != mice)
            continue;
        const int fd = open(d.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            devices.push_back({d.device, fd, d.path, d.identity.name});
    }
    if (devices.empty()) {
        Say(out, std::string("kvremote: no ") + kind + " to set up\n");
        return 1;
    }
    Say(out, std::string("Setting up the ") + (mice ? "mice" : "keyboards") +
                 " (a running kvremote holds its devices: stop it first).\n");
    for (;;) {
        Say(out, std::string("Press a ") + (mice ? "button" : "key") + " on a " + kind +
                     " to set it up, or Enter here to save and end.\n");
        const int device = NextPress(devices, in, mice);
        std::string line;
        if (device == 0) {
            if (!ReadLine(in, line)) {
                Say(out, "kvremote: ended without saving\n");
                return 1;
            }
            break;
        }
        const Watched* w = nullptr;
        for (const Watched& candidate : devices)
            if (candidate.device == device)
                w = &candidate;
        const int index = table[device].index.load(std::memory_order_relaxed);
        Say(out, std::string(kind) + " " + std::to_string(device) + " (" + w->path + ", \"" + w->name +
                     "\"), now " + (index >= 0 ? "index " + std::to_string(index) : std::string("main")) +
                     "\n");
        Say(out, "Index for it (0-255; empty: main device): ");
        if (!ReadLine(in, line)) {
            Say(out, "\nkvremote: ended without saving\n");
            return 1;
        }
        Drain(devices);
        if (line.empty()) {
            table[device].index.store(-1, std::memory_order_relaxed);
        } else if (line.find_first_not_of("0123456789") == std::string::npos && line.size() <= 3 &&
                   ParseLeadingDecimal(line) <= 255) {
            table[device].index.store(ParseLeadingDecimal(line), std::memory_order_relaxed);
        } else {
            Say(out, "kvremote: \"" + line + "\" is no index of 0-255; unchanged\n");
        }
    }
    for (const Watched& w : devices)
        close(w.fd);
    if (!SaveDevices(table, deviceClass, file.settings)) {
        Say(out, "kvremote: cannot write " + iniPath + "\n");
        return 1;
    }
    Say(out,
        "Saved to " + iniPath + ". A running kvremote reads it on SIGHUP (systemctl reload kvremote).\n");
    if (!(mice ? values.mouses.useAux : values.keyboards.useAux))
        Say(out, std::string("UseAux is off in [") + (mice ? "Mouses" : "Keyboards") +
                     "]: nothing of this class is captured until it is UseAux=1.\n");
    return 0;
}
