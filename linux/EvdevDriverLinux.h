#pragma once
// The driver operations of the capture loop (DriverApi) over the Linux input devices: the event
// nodes of /dev/input, each read once with the evdev ioctls, numbered as the Windows driver numbers
// its devices (keyboards 1-10, mice 11-20), followed through inotify as they come and go.
//
// A filter set on a number grabs its device (EVIOCGRAB), so no console, X or Wayland session sees
// its events, and only when no key of it is down, checked before and right after the grab: a key
// that went down meanwhile would stay down for the system. Numbers without a filter are never
// grabbed nor read; "send" has nothing to give back. The kernel drops a grab with its file, so
// nothing stays captured when the process dies.
//
// One thread: the station's loop calls everything here, the capture loop's waits included. Its
// waits are one epoll set, so a wake costs the same however many devices are held.
#include "capture/DriverApi.h"
#include "capture/EvdevIdentity.h"
#include <array>
#include <functional>
#include <string>
#include <vector>

class EvdevDriverLinux {
public:
    using Log = std::function<void(const std::string& line)>;

    EvdevDriverLinux(std::string inputDir, Log log);
    ~EvdevDriverLinux();
    EvdevDriverLinux(const EvdevDriverLinux&) = delete;
    EvdevDriverLinux& operator=(const EvdevDriverLinux&) = delete;

    // Watches the folder and opens the devices there; false (and a line logged) when it cannot be
    // watched. Nodes that cannot be opened yet for want of rights are tried again when their
    // attributes change (udev sets group and mode just after a node appears).
    bool Open();

    // Before Open: the numbers the settings file saved with each id, for the devices to take.
    void RememberNumber(int device, const std::string& hardwareId) { numbers_.Remember(device, hardwareId); }

    static const DriverApi& Api();
    DriverContext Context() { return this; }

    // A descriptor the waits watch as well (the station's signals): when it is readable, the wait
    // ends at once with no device and TakeWoken() tells so.
    void AlsoWatch(int fd);
    bool TakeWoken();
    // Devices came or went since the last call.
    bool TakeChanged();

    struct Listed {
        int device;
        std::string path;
        std::string hardwareId;
        EvdevIdentity identity;
        bool grabbed;
    };
    std::vector<Listed> Devices() const;

    // Num Lock (bit 0), Caps Lock (1) and Scroll Lock (2) lights of a keyboard, written to it as LED
    // events and written again when another program changes them.
    void SetLeds(int device, unsigned mask);

    // Lets every device go.
    void ReleaseAll();

private:
    struct Node {
        std::string path;
        int fd = -1;
        std::string hardwareId;
        EvdevIdentity identity;
        bool hasLeds = false;
        bool wanted = false; // a filter is set on its number
        bool grabbed = false;
        bool waiting = false; // wanted but not grabbed yet: a key is down, or another program holds it
        int leds = -1;        // the lights asked for, -1 none
    };
    struct Queued {
        int device;
        Stroke stroke;
    };

    static DriverContext CreateContext();
    static void DestroyContext(DriverContext context);
    static void SetFilter(DriverContext context, DriverPredicate predicate, unsigned short filter);
    static int WaitWithTimeout(DriverContext context, unsigned long milliseconds);
    static int Receive(DriverContext context, int device, Stroke* strokes, unsigned int count);
    static int Send(DriverContext context, int device, const Stroke* strokes, unsigned int count);
    static int IsKeyboard(int device);
    static int IsMouse(int device);
    static unsigned int GetHardwareId(DriverContext context, int device, void* buffer, unsigned int size);

    int Wait(unsigned long milliseconds);
    bool Watch(int fd, std::uint32_t tag); // adds fd to the epoll set
    void TryOpen(const std::string& path);
    void Drop(int device, const char* why);
    void HandleWatch();
    void Read(int device);
    void Follow(int device);
    void WriteLeds(Node& node);
    void Push(int device, const Stroke& stroke);

    std::string dir_;
    Log log_;
    int epoll_ = -1; // the grabbed devices, the inotify watch and the extra descriptor
    int inotify_ = -1;
    bool woken_ = false;
    bool changed_ = false;
    std::array<Node, kDeviceCount> nodes_;
    std::vector<std::string> noAccess_; // paths to try again on an attribute change
    EvdevNumbers numbers_;
    std::array<Queued, 256> queue_{};
    unsigned head_ = 0, tail_ = 0;
};
