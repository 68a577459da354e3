// The Linux station against a real kernel: run as /init's child in a QEMU guest, as root, with
// kvremote started as a user that is not root. Creates uinput devices, drives them, and reads what
// kvremote sends on the guest's own loopback, what other readers of the devices see, and what the
// devices are told. One line per case on the console; the exit status says whether all passed.
#include "SatelliteStandIn.h"
#include "linux/EvdevDriverLinux.h"
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <linux/uinput.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

constexpr uid_t kUser = 1000;
constexpr gid_t kInputGroup = 101;
constexpr int kPort = 9871;
const char* const kIni = "/tmp/kvremote.ini";
const char* const kLog = "/tmp/kvremote.log";

int g_failed = 0, g_passed = 0;

void Report(const std::string& name, const std::string& failure) {
    if (failure.empty()) {
        ++g_passed;
        std::printf("kv-guest: case %s: ok\n", name.c_str());
    } else {
        ++g_failed;
        std::printf("kv-guest: case %s: FAILED: %s\n", name.c_str(), failure.c_str());
    }
    std::fflush(stdout);
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A device made through /dev/uinput; its event node is found through sysfs.
struct Uinput {
    int fd = -1;
    std::string node;

    bool Create(const char* name, const char* phys, std::uint16_t product, const std::vector<int>& keys) {
        fd = open("/dev/uinput", O_RDWR | O_NONBLOCK);
        if (fd < 0)
            return false;
        ioctl(fd, UI_SET_EVBIT, EV_KEY);
        for (const int k : keys)
            ioctl(fd, UI_SET_KEYBIT, k);
        ioctl(fd, UI_SET_EVBIT, EV_LED);
        for (int led = LED_NUML; led <= LED_SCROLLL; ++led)
            ioctl(fd, UI_SET_LEDBIT, led);
        ioctl(fd, UI_SET_PHYS, phys);
        uinput_setup setup{};
        setup.id.bustype = BUS_USB;
        setup.id.vendor = 0x1234;
        setup.id.product = product;
        std::snprintf(setup.name, sizeof setup.name, "%s", name);
        if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0)
            return false;
        char sysname[64] = {};
        ioctl(fd, UI_GET_SYSNAME(sizeof sysname), sysname);
        const std::string dir = std::string("/sys/devices/virtual/input/") + sysname;
        for (int tries = 0; tries < 100 && node.empty(); ++tries, Sleep(10)) {
            if (DIR* d = opendir(dir.c_str())) {
                while (const dirent* e = readdir(d))
                    if (std::strncmp(e->d_name, "event", 5) == 0)
                        node = std::string("/dev/input/") + e->d_name;
                closedir(d);
            }
        }
        for (int tries = 0; tries < 100 && access(node.c_str(), F_OK) != 0; ++tries)
            Sleep(10);
        return !node.empty();
    }
    // What udev does a moment after a node appears.
    void GiveToInputGroup() const {
        chown(node.c_str(), 0, kInputGroup);
        chmod(node.c_str(), 0660);
    }
    void Key(int code, int value) const {
        input_event e[2] = {};
        e[0].type = EV_KEY;
        e[0].code = static_cast<std::uint16_t>(code);
        e[0].value = value;
        e[1].type = EV_SYN;
        write(fd, e, sizeof e);
    }
    void Tap(int code) const {
        Key(code, 1);
        Key(code, 0);
    }
    // The lights the device was last told (the uinput side reads them as LED events).
    void Leds(int& state) const {
        input_event e;
        while (read(fd, &e, sizeof e) == static_cast<ssize_t>(sizeof e))
            if (e.type == EV_LED && e.code <= LED_SCROLLL)
                state = (state & ~(1 << e.code)) | ((e.value ? 1 : 0) << e.code);
    }
    void Destroy() {
        ioctl(fd, UI_DEV_DESTROY);
        close(fd);
        fd = -1;
        node.clear();
    }
};

// Another program reading the same device: what the system would see.
struct Reader {
    int fd = -1;
    explicit Reader(const std::string& node) : fd(open(node.c_str(), O_RDONLY | O_NONBLOCK)) {}
    ~Reader() {
        if (fd >= 0)
            close(fd);
    }
    // The key events read since the last call, as "code:value" words.
    std::string Keys() {
        std::string out;
        input_event e;
        while (read(fd, &e, sizeof e) == static_cast<ssize_t>(sizeof e))
            if (e.type == EV_KEY)
                out += std::to_string(e.code) + ":" + std::to_string(e.value) + " ";
        return out;
    }
};

std::string ReadFile(const char* path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits for a message of kvremote written after the log had `since` characters.
bool WaitForLog(const std::string& text, std::size_t since = 0, int ms = 8000) {
    for (int waited = 0; waited < ms; waited += 20, Sleep(20))
        if (ReadFile(kLog).find(text, since) != std::string::npos)
            return true;
    return false;
}

std::size_t LogSize() {
    return ReadFile(kLog).size();
}

// The listed line of a device node: "keyboard N<TAB>node<TAB>role<TAB>"name"<TAB>id".
std::vector<std::string> ListedFields(const std::string& listing, const std::string& node) {
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string f; std::getline(parts, f, '\t');)
            fields.push_back(f);
        if (fields.size() == 5 && fields[1] == node)
            return fields;
    }
    return {};
}

struct Receiver {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    Receiver() {
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(kPort);
        at.sin_addr.s_addr = htonl(INADDR_ANY);
        bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof at);
    }
    ~Receiver() { close(fd); }
    // The next datagram within ms, or empty.
    std::string Next(int ms = 5000) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, ms) <= 0)
            return {};
        char buffer[600];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
};

std::string Expect(const std::string& got, const std::string& wanted) {
    return got == wanted ? std::string() : "got \"" + got + "\", wanted \"" + wanted + "\"";
}

std::string Line(const char* command) {
    return std::string("REMOTE: \"REMOTE\" \"\" \"") + command + "\" 1";
}

bool Grabbable(const std::string& node) {
    const int fd = open(node.c_str(), O_RDONLY);
    const bool free = fd >= 0 && ioctl(fd, EVIOCGRAB, 1) == 0;
    if (free)
        ioctl(fd, EVIOCGRAB, 0);
    close(fd);
    return free;
}

// Microseconds from a key press written on the uinput side to the next datagram received.
double PressToDatagram(const Uinput& device, int key, Receiver& receiver) {
    const auto start = std::chrono::steady_clock::now();
    device.Key(key, 1);
    const bool got = !receiver.Next(2000).empty();
    const auto end = std::chrono::steady_clock::now();
    device.Key(key, 0);
    Sleep(2);
    return got ? std::chrono::duration<double, std::micro>(end - start).count() : -1;
}

double Percentile(std::vector<double> times, double p) {
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    return times[static_cast<std::size_t>(p * static_cast<double>(times.size() - 1))];
}

// kvremote run with pipes for its standard input and output, its messages to the log; as the
// station's user (not root, in the input group), or as root (as with sudo).
struct Child {
    pid_t pid = -1;
    int in = -1, out = -1;
    std::string seen;

    Child(const std::vector<std::string>& args, bool asUser) {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            const gid_t groups[] = {kInputGroup};
            if (asUser && (setgroups(1, groups) != 0 || setgid(kUser) != 0 || setuid(kUser) != 0))
                _exit(126);
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            dup2(open(kLog, O_WRONLY | O_APPEND | O_CREAT, 0666), 2);
            std::vector<char*> argv;
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        in = toChild[1];
        out = fromChild[0];
    }
    ~Child() {
        close(in);
        close(out);
        End(SIGKILL);
    }
    void End(int signal) {
        if (pid > 0) {
            kill(pid, signal);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
    // Reads until text appears after what was consumed before (all of the output for ""); false
    // after ms or at the end of the output.
    bool WaitFor(const std::string& text, int ms = 8000) {
        for (int waited = 0; waited < ms; waited += 20) {
            const auto at = seen.find(text);
            if (!text.empty() && at != std::string::npos) {
                seen.erase(0, at + text.size());
                return true;
            }
            pollfd p{out, POLLIN, 0};
            char buffer[256];
            const ssize_t n = poll(&p, 1, 20) > 0 ? read(out, buffer, sizeof buffer) : -1;
            if (n == 0)
                return false;
            if (n > 0)
                seen.append(buffer, static_cast<std::size_t>(n));
        }
        return false;
    }
    void Type(const std::string& line) { write(in, line.data(), line.size()); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: kv-guest-suite KVREMOTE FLOOR_PROBE\n");
        return 2;
    }
    const std::string kvremote = argv[1], floorProbe = argv[2];
    const std::vector<int> keypad = {KEY_NUMLOCK, KEY_KP0,     KEY_KP1,    KEY_KP2,  KEY_KP3,
                                     KEY_KP4,     KEY_KP5,     KEY_KP6,    KEY_KP7,  KEY_KP8,
                                     KEY_KP9,     KEY_KPENTER, KEY_KPPLUS, KEY_KPDOT};
    Uinput twinA, twinB, mainKeyboard;
    if (!twinA.Create("Keypad", "usb-0000:00:14.0-1/input0", 0x5678, keypad) ||
        !twinB.Create("Keypad", "usb-0000:00:14.0-2/input0", 0x5678, keypad) ||
        !mainKeyboard.Create("Main Keyboard", "usb-0000:00:14.0-3/input0", 0x9999,
                             {KEY_A, KEY_B, KEY_ENTER})) {
        Report("uinput devices", std::string("not created: ") + std::strerror(errno));
        return 1;
    }
    // What udev does for every input node (the machine's own keyboard's too).
    if (DIR* d = opendir("/dev/input")) {
        while (const dirent* e = readdir(d))
            if (std::strncmp(e->d_name, "event", 5) == 0) {
                const std::string node = std::string("/dev/input/") + e->d_name;
                chown(node.c_str(), 0, kInputGroup);
                chmod(node.c_str(), 0660);
            }
        closedir(d);
    }
    // Companion on the guest's loopback: kvremote adds the keypads as surfaces there.
    SatelliteStandIn companion;
    if (!companion.Start()) {
        Report("Satellite stand-in", "not started");
        return 1;
    }
    {
        std::ofstream(kIni) << "[Network]\nBroadcastAddress=127.255.255.255\nPort=" << kPort
                            << "\n[Connections]\nStation=Guest\n[Companion]\nHost=127.0.0.1\nPort="
                            << companion.Port() << "\n";
    }
    chmod(kIni, 0644);

    // The listing tells the twins apart by their place and shows them as main devices.
    Child listed({kvremote, "-i", kIni, "devices"}, true);
    listed.WaitFor("");
    const std::string listing = listed.seen;
    const auto a = ListedFields(listing, twinA.node), b = ListedFields(listing, twinB.node);
    const auto m = ListedFields(listing, mainKeyboard.node);
    std::string failure;
    if (a.empty() || b.empty() || m.empty())
        failure = "not every device listed:\n" + listing;
    else if (a[4] == b[4] || a[4].find("usb-0000:00:14.0-1/input0") == std::string::npos || a[2] != "main")
        failure = "twins not told apart: " + a[4] + " / " + b[4] + " (" + a[2] + ")";
    Report("devices lists twins apart", failure);
    if (!failure.empty())
        return 1;
    const std::string numberA = a[0].substr(a[0].find(' ') + 1), numberB = b[0].substr(b[0].find(' ') + 1);
    { std::ofstream(kIni, std::ios::app) << "[Keyboards]\nUseAux=1\n"; }
    // The indexes come from the terminal setup: a key on each keypad, then its index.
    {
        Child setup({kvremote, "-i", kIni, "setup", "keyboards"}, false);
        const char* const press = "Press a key on a keyboard";
        failure.clear();
        for (const auto& [twin, number, index] :
             {std::tuple{&twinA, numberA, "5"}, std::tuple{&twinB, numberB, "6"}}) {
            if (!failure.empty())
                break;
            if (!setup.WaitFor(press))
                failure = "no prompt: " + setup.seen;
            twin->Tap(KEY_KP5);
            if (failure.empty() &&
                !setup.WaitFor("keyboard " + number + " (" + twin->node + ", \"Keypad\"), now main"))
                failure = "the keypad was not named: " + setup.seen;
            setup.Type(std::string(index) + "\n");
        }
        if (failure.empty() && !setup.WaitFor(press))
            failure = "no prompt after the second keypad: " + setup.seen;
        setup.Type("\n");
        if (failure.empty() && !setup.WaitFor("Saved to"))
            failure = "not saved: " + setup.seen;
        const std::string ini = ReadFile(kIni);
        if (failure.empty() &&
            (ini.find(a[4]) == std::string::npos || ini.find("Index2=6") == std::string::npos))
            failure = "the settings file holds:\n" + ini;
        Report("terminal setup names the keypads and saves their indexes", failure);
    }
    chmod(kIni, 0644);

    Receiver receiver;
    Reader readerA(twinA.node), readerB(twinB.node), readerMain(mainKeyboard.node);
    twinB.Key(KEY_KP1, 1); // held while kvremote starts
    Child station({kvremote, "-i", kIni}, true);
    const bool grabbedA = WaitForLog(twinA.node + ": captured");
    readerA.Keys();

    twinA.Tap(KEY_KP7);
    Report("auxiliary key sent as REMOTE line",
           grabbedA ? Expect(receiver.Next(), Line("AUXKEYB/103/0/5")) : "keypad A not captured");
    Report("auxiliary keys reach nobody else", Expect(readerA.Keys(), ""));

    // Companion draws keypad 5's NumLock button (its first) red: that keypad's Num Lock light comes
    // on; black puts it out again.
    {
        const std::string id = "kvremote:Guest-keyboard-5";
        failure = SatelliteStandIn::WaitFor(
                      [&] {
                          const auto devices = companion.Devices();
                          return std::find(devices.begin(), devices.end(), id) != devices.end();
                      },
                      8000)
                      ? ""
                      : "keypad 5 not added to Companion";
        int leds = 0;
        for (const char* colour : {"#ff0000", "#000000"}) {
            companion.SendToAll("KEY-STATE DEVICEID=\"" + id + "\" KEY=0 TYPE=BUTTON COLOR=" + colour +
                                " \n");
            const int wanted = colour[1] == 'f' ? 1 : 0;
            for (int i = 0; i < 40 && leds != wanted; ++i) {
                Sleep(50);
                twinA.Leds(leds);
            }
            if (failure.empty() && leds != wanted)
                failure = std::string("after ") + colour + " the lights read " + std::to_string(leds);
        }
        if (failure.empty() && !WaitForLog("Companion: connected to 127.0.0.1:"))
            failure = "the connection's status line was not logged";
        Report("Companion's colours light the keypad's Num Lock", failure);
        // Companion off again: the benchmark times the REMOTE line alone, as on earlier runs.
        std::string ini = ReadFile(kIni);
        ini.replace(ini.find("Host=127.0.0.1"), 14, "Host=");
        std::ofstream(kIni) << ini;
        const std::size_t since = LogSize();
        kill(station.pid, SIGHUP);
        WaitForLog("sending to", since);
    }

    mainKeyboard.Tap(KEY_A);
    twinA.Tap(KEY_KP9);
    Sleep(200);
    failure = Expect(readerMain.Keys(), "30:1 30:0 ");
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXKEYB/105/0/5")); // nothing came of the main key
    Report("main keyboard left to the system", failure);

    Sleep(300);
    failure =
        ReadFile(kLog).find(twinB.node + ": captured") != std::string::npos ? "grabbed with a key down" : "";
    twinB.Key(KEY_KP1, 0);
    if (failure.empty() && !WaitForLog(twinB.node + ": captured"))
        failure = "not captured after the key went up";
    if (failure.empty())
        failure = Expect(readerB.Keys(), "79:1 79:0 ");
    twinB.Tap(KEY_KP8);
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXKEYB/104/0/6"));
    Report("key held at grab time not stuck; twin keeps its own index", failure);

    std::size_t since = LogSize();
    twinA.Destroy();
    failure = WaitForLog("gone", since) ? "" : "unplug not seen";
    since = LogSize();
    twinA.Create("Keypad", "usb-0000:00:14.0-1/input0", 0x5678, keypad);
    Sleep(300); // the node is root's until its rights are set
    twinA.GiveToInputGroup();
    if (failure.empty() && !WaitForLog(twinA.node + ": captured", since))
        failure = "not captured again after its rights were set";
    twinA.Tap(KEY_KP4);
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXKEYB/100/0/5"));
    Report("re-plugged keypad captured again with its index", failure);

    {
        std::string ini = ReadFile(kIni);
        ini.replace(ini.find("Index1=5"), 8, "Index1=7");
        std::ofstream(kIni) << ini;
    }
    since = LogSize();
    kill(station.pid, SIGHUP);
    failure = WaitForLog("keyboard " + numberA + ": auxiliary, index 7", since) ? "" : "new index not taken";
    twinA.Tap(KEY_KP4);
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXKEYB/100/0/7"));
    Report("settings read again on SIGHUP", failure);

    // The benchmark: kvremote on a keypad against the floor probe on the main keyboard, press for
    // press in turn, so both see the same load of the emulated machine.
    Child floor({floorProbe, mainKeyboard.node, std::to_string(kPort)}, false);
    Sleep(300);
    std::vector<double> station_us, floor_us;
    for (int i = 0; i < 300; ++i) {
        if (const double us = PressToDatagram(twinB, KEY_KP2, receiver); us >= 0)
            station_us.push_back(us);
        if (const double us = PressToDatagram(mainKeyboard, KEY_B, receiver); us >= 0)
            floor_us.push_back(us);
    }
    floor.End(SIGKILL);

    // A release command set: a key's release goes out too, and a key held across a reload is
    // released there, once.
    {
        std::string ini = ReadFile(kIni);
        ini.insert(ini.find('\n', ini.find("[Keyboards]")) + 1, "ReleaseTextCmd=AUXUP\n");
        std::ofstream(kIni) << ini;
    }
    since = LogSize();
    kill(station.pid, SIGHUP);
    failure = WaitForLog("sending to", since) ? "" : "settings not read again";
    Sleep(300);
    while (!receiver.Next(100).empty()) {
    }
    twinA.Tap(KEY_KP4);
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXKEYB/100/0/7"));
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXUP/100/0/7"));
    twinA.Key(KEY_KP6, 1);
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXKEYB/102/0/7"));
    since = LogSize();
    kill(station.pid, SIGHUP);
    if (failure.empty())
        failure = Expect(receiver.Next(), Line("AUXUP/102/0/7"));
    WaitForLog("sending to", since);
    Sleep(100);
    twinA.Key(KEY_KP6, 0);
    if (failure.empty())
        failure = Expect(receiver.Next(300), "");
    Report("release lines at the key's release and forced at a reload", failure);

    station.End(SIGKILL);
    failure = Grabbable(twinA.node) && Grabbable(twinB.node) ? "" : "a device is still grabbed";
    Report("kill -9 leaves every device free", failure);

    // The lights, through the station's device layer: written to the grabbed keypad, kept when
    // another program writes them.
    EvdevDriverLinux driver("/dev/input", [](const std::string&) {});
    failure = driver.Open() ? "" : "driver not opened";
    int device = 0;
    for (const auto& listed : driver.Devices())
        if (listed.path == twinA.node)
            device = listed.device;
    static int chosen = 0;
    chosen = device;
    EvdevDriverLinux::Api().set_filter(
        driver.Context(), [](int d) { return d == chosen ? 1 : 0; }, 15);
    int leds = 0;
    twinA.Leds(leds);
    driver.SetLeds(device, 5); // Num Lock and Scroll Lock
    Sleep(100);
    twinA.Leds(leds);
    if (failure.empty() && leds != 5)
        failure = "lights read back as " + std::to_string(leds);
    {
        const int other = open(twinA.node.c_str(), O_WRONLY);
        input_event e[2] = {};
        e[0].type = EV_LED;
        e[0].code = LED_CAPSL;
        e[0].value = 1;
        e[1].type = EV_SYN;
        write(other, e, sizeof e);
        close(other);
    }
    EvdevDriverLinux::Api().wait_with_timeout(driver.Context(), 100);
    Sleep(100);
    twinA.Leds(leds);
    if (failure.empty() && leds != 5)
        failure = "another program's write left the lights at " + std::to_string(leds);
    Report("keypad lights written and kept", failure);

    const double station50 = Percentile(station_us, 0.5), floor50 = Percentile(floor_us, 0.5);
    std::printf(
        "kv-guest: benchmark, key press to datagram over %zu and %zu presses: kvremote median %.0f us "
        "(p90 %.0f), floor median %.0f us (p90 %.0f), ratio %.2f\n",
        station_us.size(), floor_us.size(), station50, Percentile(station_us, 0.9), floor50,
        Percentile(floor_us, 0.9), floor50 > 0 ? station50 / floor50 : 0.0);

    std::printf("kv-guest: kvremote's messages:\n%s", ReadFile(kLog).c_str());
    std::printf("kv-guest: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}
