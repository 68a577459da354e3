// kvremote: the Linux station. Captures the auxiliary keyboards and mice named in its settings
// file through evdev and sends each of their events as a REMOTE line, as the Windows program does.
#include "station/SettingsFile.h"
#include "capture/DeviceRegistry.h"
#include "capture/HardwareIdText.h"
#include "linux/EvdevDriverLinux.h"
#include "linux/SetupCommandLinux.h"
#include "linux/StationLinux.h"
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr const char* kDefaultIni = "/etc/kvremote/kvremote.ini";
constexpr const char* kInputDir = "/dev/input";

constexpr const char* kUsage =
    "Usage: kvremote [-i PATH] [run]\n"
    "       kvremote [-i PATH] devices\n"
    "       kvremote [-i PATH] setup keyboards|mice\n"
    "       kvremote --help | --version\n"
    "\n"
    "Captures the auxiliary keyboards and mice named in the settings file and sends each of their\n"
    "key presses, buttons and wheel steps as a REMOTE line to the broadcast address and port of\n"
    "[Network]. Auxiliary devices are grabbed: no console, X or Wayland session sees them. Main\n"
    "devices are never grabbed.\n"
    "\n"
    "  run        the station (the default); SIGHUP reads the settings again, SIGTERM ends it\n"
    "  devices    lists the keyboards and mice with their numbers, ids and whether they are captured\n"
    "  setup      asks for a key on each keyboard (or a button on each mouse) to set up, shows\n"
    "             which device it was, asks for its index and saves them (stop the service first)\n"
    "  -i PATH    the settings file (default /etc/kvremote/kvremote.ini)\n"
    "\n"
    "A device is auxiliary with an index in [Keyboards] or [Mouses] of the settings file (setup\n"
    "writes them): Device1=<number>, HarwareId1=<id as listed>, Index1=<0-255>; and UseAux=1.\n"
    "Messages go to standard error, one line each.\n";

void LogLine(const std::string& line) {
    std::fprintf(stderr, "kvremote: %s\n", line.c_str());
}

int ListDevices(const std::string& ini) {
    EvdevDriverLinux driver(kInputDir, [](const std::string&) {});
    RememberSavedNumbers(ini, driver);
    if (!driver.Open()) {
        LogLine(std::string("cannot read ") + kInputDir + ": " + std::strerror(errno));
        return 1;
    }
    StationFileLinux file(ini, driver);
    const SettingsValues& values = file.values;
    DeviceTable& table = file.table;
    if (driver.Devices().empty())
        LogLine(std::string("no keyboard or mouse in ") + kInputDir +
                " could be opened (a user in the input group may read them)");
    const bool haveLink = !values.broadcastAddress.empty();
    for (const EvdevDriverLinux::Listed& d : driver.Devices()) {
        const bool mouse = IsMouseNumber(d.device);
        const int index = table[d.device].index.load(std::memory_order_relaxed);
        std::string role = "main";
        if (index >= 0) {
            const bool useAux = mouse ? values.mouses.useAux : values.keyboards.useAux;
            role = "index " + std::to_string(index) +
                   (!useAux     ? ", not captured (UseAux=0)"
                    : !haveLink ? ", not captured (no address)"
                                : ", captured");
        }
        std::string name = d.identity.name; // a device's name is its maker's: no control characters here
        for (char& c : name)
            c = static_cast<unsigned char>(c) < 0x20 || c == '"' ? '?' : c;
        std::printf("%s %d\t%s\t%s\t\"%s\"\t%s\n", mouse ? "mouse" : "keyboard", d.device, d.path.c_str(),
                    role.c_str(), name.c_str(), d.hardwareId.c_str());
    }
    return 0;
}

int Run(const std::string& ini) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGHUP);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    LogLine("started with " + ini);
    EvdevDriverLinux driver(kInputDir, LogLine);
    RememberSavedNumbers(ini, driver);
    if (signalFd < 0 || !driver.Open())
        return 1;
    driver.AlsoWatch(signalFd);
    StationLinux station(ini, driver, LogLine);
    driver.AlsoWatch(station.NewsFd());
    station.Start();
    int status = 0;
    for (bool running = true; running;) {
        if (!station.Pass()) {
            LogLine("the input devices keep failing: every device let go");
            status = 1;
            break;
        }
        if (driver.TakeWoken()) {
            station.OnNews();
            signalfd_siginfo info{};
            while (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGHUP)
                    station.Reload();
                else
                    running = false;
            }
        }
        if (driver.TakeChanged())
            station.FollowDevices();
    }
    station.Stop();
    LogLine("stopped");
    close(signalFd);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    std::string ini = kDefaultIni;
    std::string command = "run";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("kvremote %s\n", KV_VERSION_TEXT);
            return 0;
        }
        if (arg == "-i" && i + 1 < argc) {
            ini = argv[++i];
        } else if (arg == "run" || arg == "devices") {
            command = arg;
        } else if (arg == "setup" && i + 1 < argc &&
                   (std::string(argv[i + 1]) == "keyboards" || std::string(argv[i + 1]) == "mice")) {
            command = argv[++i];
        } else {
            std::fprintf(stderr, "kvremote: unknown argument \"%s\"\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (access(ini.c_str(), R_OK) != 0)
        LogLine("cannot read " + ini + " (" + std::strerror(errno) + "): the defaults apply");
    if (command == "keyboards" || command == "mice")
        return RunSetup(ini, command == "mice" ? DEVICE_CLASS_MICE : DEVICE_CLASS_KEYBOARDS, 0, 1);
    return command == "devices" ? ListDevices(ini) : Run(ini);
}
