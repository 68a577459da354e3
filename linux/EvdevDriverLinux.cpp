#include "linux/EvdevDriverLinux.h"
#include "capture/DeviceClass.h"
#include "capture/EvdevEvents.h"
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr unsigned long kPendingRetryMs = 20; // how often a grab waiting for released keys is tried
// What an epoll event names besides a device number.
constexpr std::uint32_t kExtraTag = 1000, kInotifyTag = 1001;

bool IsEventNode(const char* name) {
    return std::strncmp(name, "event", 5) == 0;
}

bool TestBit(const unsigned char* bits, unsigned bit) {
    return (bits[bit / 8] >> (bit % 8)) & 1;
}

std::string IoctlText(int fd, unsigned long request) {
    char text[256] = {};
    if (ioctl(fd, request, text) < 0)
        return {};
    text[sizeof text - 1] = 0;
    return text;
}

bool AnyKeyDown(int fd) {
    unsigned char keys[KEY_MAX / 8 + 1] = {};
    if (ioctl(fd, EVIOCGKEY(sizeof keys), keys) < 0)
        return false;
    return std::any_of(std::begin(keys), std::end(keys), [](unsigned char b) { return b != 0; });
}

// Keyboards have keys of the main block or the keypad; mice move and have a left button.
DeviceClass ClassOf(int fd, bool& hasLeds) {
    unsigned char types[EV_MAX / 8 + 1] = {}, keys[KEY_MAX / 8 + 1] = {}, rels[REL_MAX / 8 + 1] = {};
    if (ioctl(fd, EVIOCGBIT(0, sizeof types), types) < 0)
        return DEVICE_CLASS_NONE;
    if (TestBit(types, EV_KEY))
        ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys);
    if (TestBit(types, EV_REL))
        ioctl(fd, EVIOCGBIT(EV_REL, sizeof rels), rels);
    hasLeds = TestBit(types, EV_LED);
    if (TestBit(rels, REL_X) && TestBit(keys, BTN_LEFT))
        return DEVICE_CLASS_MICE;
    for (unsigned k = KEY_ESC; k <= KEY_KPDOT; ++k)
        if (TestBit(keys, k))
            return DEVICE_CLASS_KEYBOARDS;
    return DEVICE_CLASS_NONE;
}

std::uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

EvdevDriverLinux::EvdevDriverLinux(std::string inputDir, Log log)
    : dir_(std::move(inputDir)), log_(std::move(log)) {}

EvdevDriverLinux::~EvdevDriverLinux() {
    ReleaseAll();
    if (inotify_ >= 0)
        close(inotify_);
    if (epoll_ >= 0)
        close(epoll_);
}

bool EvdevDriverLinux::Watch(int fd, std::uint32_t tag) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u32 = tag;
    return epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) == 0;
}

void EvdevDriverLinux::AlsoWatch(int fd) {
    if (!Watch(fd, kExtraTag))
        log_(std::string("cannot watch a descriptor: ") + std::strerror(errno));
}

const DriverApi& EvdevDriverLinux::Api() {
    static const DriverApi api{CreateContext, DestroyContext, SetFilter, WaitWithTimeout, Receive,
                               Send,          IsKeyboard,     IsMouse,   GetHardwareId};
    return api;
}

bool EvdevDriverLinux::Open() {
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (epoll_ < 0 || inotify_ < 0 || !Watch(inotify_, kInotifyTag) ||
        inotify_add_watch(inotify_, dir_.c_str(), IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO) < 0) {
        log_("cannot watch " + dir_ + ": " + std::strerror(errno));
        return false;
    }
    DIR* dir = opendir(dir_.c_str());
    if (dir == nullptr) {
        log_("cannot read " + dir_ + ": " + std::strerror(errno));
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir))
        if (IsEventNode(entry->d_name))
            names.emplace_back(entry->d_name);
    closedir(dir);
    // In the kernel's order, so the numbers of a first start follow it.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string& name : names)
        TryOpen(dir_ + "/" + name);
    changed_ = false;
    return true;
}

void EvdevDriverLinux::TryOpen(const std::string& path) {
    for (const Node& node : nodes_)
        if (node.fd >= 0 && node.path == path)
            return;
    int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EPERM))
        fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const auto waiting = std::find(noAccess_.begin(), noAccess_.end(), path);
    if (fd < 0) {
        if ((errno == EACCES || errno == EPERM) && waiting == noAccess_.end()) {
            noAccess_.push_back(path);
            log_(path + ": " + std::strerror(errno) + ", tried again when its rights change");
        }
        return;
    }
    if (waiting != noAccess_.end())
        noAccess_.erase(waiting);
    bool hasLeds = false;
    const DeviceClass deviceClass = ClassOf(fd, hasLeds);
    if (deviceClass == DEVICE_CLASS_NONE) {
        close(fd);
        return;
    }
    EvdevIdentity identity;
    input_id id{};
    if (ioctl(fd, EVIOCGID, &id) == 0) {
        identity.vendor = id.vendor;
        identity.product = id.product;
    }
    identity.name = IoctlText(fd, EVIOCGNAME(256));
    identity.phys = IoctlText(fd, EVIOCGPHYS(256));
    identity.uniq = IoctlText(fd, EVIOCGUNIQ(256));
    const std::string hardwareId = EvdevHardwareId(identity);
    const int device = numbers_.Take(deviceClass, hardwareId);
    const char* kind = deviceClass == DEVICE_CLASS_MICE ? "mouse" : "keyboard";
    if (device == 0) {
        log_(path + ": a " + kind + " more than the 10 kept, left alone: " + hardwareId);
        close(fd);
        return;
    }
    Node& node = nodes_[device];
    node = Node{};
    node.path = path;
    node.fd = fd;
    node.hardwareId = hardwareId;
    node.identity = identity;
    node.hasLeds = hasLeds;
    changed_ = true;
    log_(path + ": " + kind + " " + std::to_string(device) + ", " + hardwareId);
}

void EvdevDriverLinux::Drop(int device, const char* why) {
    Node& node = nodes_[device];
    if (node.fd < 0)
        return;
    close(node.fd); // and with it the grab and its place in the epoll set
    log_(node.path + ": " + why + (node.grabbed ? ", released" : ""));
    node = Node{};
    numbers_.Free(device);
    changed_ = true;
    // Strokes of the device still queued go with it.
    for (unsigned i = head_; i != tail_; i = (i + 1) % queue_.size())
        if (queue_[i].device == device)
            queue_[i].device = 0;
}

void EvdevDriverLinux::HandleWatch() {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = read(inotify_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || !IsEventNode(event->name))
                continue;
            const std::string path = dir_ + "/" + event->name;
            if (event->mask & IN_DELETE) {
                noAccess_.erase(std::remove(noAccess_.begin(), noAccess_.end(), path), noAccess_.end());
                for (int d = 1; d < kDeviceCount; ++d)
                    if (nodes_[d].fd >= 0 && nodes_[d].path == path)
                        Drop(d, "gone");
            } else if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                TryOpen(path);
            } else if ((event->mask & IN_ATTRIB) &&
                       std::find(noAccess_.begin(), noAccess_.end(), path) != noAccess_.end()) {
                TryOpen(path);
            }
        }
    }
}

void EvdevDriverLinux::Follow(int device) {
    Node& node = nodes_[device];
    if (node.fd < 0)
        return;
    if (!node.wanted) {
        node.waiting = false;
        if (node.grabbed) {
            ioctl(node.fd, EVIOCGRAB, 0);
            epoll_ctl(epoll_, EPOLL_CTL_DEL, node.fd, nullptr);
            node.grabbed = false;
            log_(node.path + ": released");
        }
        return;
    }
    if (node.grabbed)
        return;
    const bool wasWaiting = node.waiting;
    node.waiting = true;
    if (AnyKeyDown(node.fd)) {
        if (!wasWaiting)
            log_(node.path + ": a key is down, captured once it is released");
        return;
    }
    // What the device sent before is the system's: never read as ours.
    input_event old[64];
    while (read(node.fd, old, sizeof old) > 0) {
    }
    if (ioctl(node.fd, EVIOCGRAB, 1) < 0) {
        if (!wasWaiting)
            log_(node.path + ": cannot be captured (" + std::strerror(errno) + "), tried again");
        return;
    }
    if (AnyKeyDown(node.fd)) {
        // Went down between the two looks: its release must reach the system too.
        ioctl(node.fd, EVIOCGRAB, 0);
        return;
    }
    if (!Watch(node.fd, static_cast<std::uint32_t>(device))) {
        ioctl(node.fd, EVIOCGRAB, 0);
        log_(node.path + ": cannot be watched: " + std::strerror(errno));
        return;
    }
    node.grabbed = true;
    node.waiting = false;
    log_(node.path + ": captured");
    if (node.leds >= 0)
        WriteLeds(node);
}

void EvdevDriverLinux::Push(int device, const Stroke& stroke) {
    const unsigned next = (tail_ + 1) % queue_.size();
    if (next == head_)
        return; // full: the stroke is lost, as a failed post would lose it
    queue_[tail_] = {device, stroke};
    tail_ = next;
}

void EvdevDriverLinux::Read(int device) {
    Node& node = nodes_[device];
    input_event events[64];
    bool ledsChanged = false;
    for (;;) {
        const ssize_t n = read(node.fd, events, sizeof events);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        if (n <= 0) {
            Drop(device, "gone");
            return;
        }
        for (std::size_t i = 0; i < static_cast<std::size_t>(n) / sizeof(input_event); ++i) {
            const input_event& e = events[i];
            if (e.type == EV_LED) {
                if (node.leds >= 0 && e.code <= 2 && ((node.leds >> e.code) & 1) != (e.value != 0))
                    ledsChanged = true;
                continue;
            }
            const EvdevStrokes strokes = IsMouseNumber(device) ? MouseStrokes(e.type, e.code, e.value)
                                                               : KeyboardStrokes(e.type, e.code, e.value);
            for (int s = 0; s < strokes.count; ++s)
                Push(device, strokes.strokes[s]);
        }
        // A short read took everything there was: no second call just to hear so.
        if (static_cast<std::size_t>(n) < sizeof events)
            break;
    }
    if (ledsChanged)
        WriteLeds(node);
}

void EvdevDriverLinux::WriteLeds(Node& node) {
    if (!node.hasLeds || node.leds < 0)
        return;
    input_event events[4] = {};
    for (int led = 0; led < 3; ++led) {
        events[led].type = EV_LED;
        events[led].code = static_cast<std::uint16_t>(led);
        events[led].value = (node.leds >> led) & 1;
    }
    events[3].type = EV_SYN;
    events[3].code = SYN_REPORT;
    if (write(node.fd, events, sizeof events) != static_cast<ssize_t>(sizeof events))
        log_(node.path + ": lights not set: " + std::strerror(errno));
}

void EvdevDriverLinux::SetLeds(int device, unsigned mask) {
    if (device <= 0 || device >= kDeviceCount || nodes_[device].fd < 0)
        return;
    nodes_[device].leds = static_cast<int>(mask & 7);
    WriteLeds(nodes_[device]);
}

int EvdevDriverLinux::Wait(unsigned long milliseconds) {
    // The clock is read only after a wake that brought no stroke (the deadline counts from the
    // first, so a wait may last up to twice the time asked): a stroke's wake reads no clock, which
    // on an emulated or slow clock source costs more than the rest of its way.
    std::uint64_t deadline = 0;
    for (;;) {
        while (head_ != tail_ && queue_[head_].device == 0)
            head_ = (head_ + 1) % queue_.size();
        if (head_ != tail_)
            return queue_[head_].device;
        bool waiting = false;
        for (int d = 1; d < kDeviceCount; ++d) {
            if (nodes_[d].waiting)
                Follow(d);
            waiting = waiting || nodes_[d].waiting;
        }
        unsigned long left = milliseconds;
        if (deadline != 0) {
            const std::uint64_t now = NowMs();
            left = now >= deadline ? 0 : static_cast<unsigned long>(deadline - now);
        }
        if (waiting)
            left = std::min(left, kPendingRetryMs);
        epoll_event ready[8];
        const int count = epoll_wait(epoll_, ready, 8, static_cast<int>(left));
        if (count < 0 && errno != EINTR)
            return 0;
        for (int i = 0; i < count; ++i) {
            const std::uint32_t tag = ready[i].data.u32;
            if (tag == kExtraTag)
                woken_ = true;
            else if (tag == kInotifyTag)
                HandleWatch();
            else if (tag < kDeviceCount && nodes_[tag].grabbed)
                Read(static_cast<int>(tag));
        }
        if (woken_)
            return 0;
        if (head_ != tail_)
            continue;
        const std::uint64_t now = NowMs();
        if (deadline == 0)
            deadline = now + left;
        if (now >= deadline || (count == 0 && !waiting))
            return 0;
    }
}

bool EvdevDriverLinux::TakeWoken() {
    const bool woken = woken_;
    woken_ = false;
    return woken;
}

bool EvdevDriverLinux::TakeChanged() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

std::vector<EvdevDriverLinux::Listed> EvdevDriverLinux::Devices() const {
    std::vector<Listed> out;
    for (int d = 1; d < kDeviceCount; ++d)
        if (nodes_[d].fd >= 0)
            out.push_back({d, nodes_[d].path, nodes_[d].hardwareId, nodes_[d].identity, nodes_[d].grabbed});
    return out;
}

void EvdevDriverLinux::ReleaseAll() {
    for (int d = 1; d < kDeviceCount; ++d)
        if (nodes_[d].fd >= 0)
            Drop(d, "closed");
}

DriverContext EvdevDriverLinux::CreateContext() {
    return nullptr; // the station makes the driver; its context is the object
}

void EvdevDriverLinux::DestroyContext(DriverContext) {}

void EvdevDriverLinux::SetFilter(DriverContext context, DriverPredicate predicate, unsigned short filter) {
    auto* self = static_cast<EvdevDriverLinux*>(context);
    for (int d = kFirstKeyboard; d <= kLastMouse; ++d) {
        if (predicate(d) == 0)
            continue;
        self->nodes_[d].wanted = filter != 0;
        self->Follow(d);
    }
}

int EvdevDriverLinux::WaitWithTimeout(DriverContext context, unsigned long milliseconds) {
    return static_cast<EvdevDriverLinux*>(context)->Wait(milliseconds);
}

int EvdevDriverLinux::Receive(DriverContext context, int device, Stroke* strokes, unsigned int count) {
    auto* self = static_cast<EvdevDriverLinux*>(context);
    if (device == 0 || count == 0 || self->head_ == self->tail_ || self->queue_[self->head_].device != device)
        return 0;
    strokes[0] = self->queue_[self->head_].stroke;
    self->head_ = (self->head_ + 1) % self->queue_.size();
    return 1;
}

int EvdevDriverLinux::Send(DriverContext, int, const Stroke*, unsigned int count) {
    return static_cast<int>(count); // a device not grabbed gave its events to the system already
}

int EvdevDriverLinux::IsKeyboard(int device) {
    return IsKeyboardNumber(device) ? 1 : 0;
}

int EvdevDriverLinux::IsMouse(int device) {
    return IsMouseNumber(device) ? 1 : 0;
}

unsigned int EvdevDriverLinux::GetHardwareId(DriverContext context, int device, void* buffer,
                                             unsigned int size) {
    auto* self = static_cast<EvdevDriverLinux*>(context);
    if (device <= 0 || device >= kDeviceCount || self->nodes_[device].fd < 0 || size < 2)
        return 0;
    // Each byte as one UTF-16 unit: the registry's Latin-1 narrowing gives the bytes back.
    const std::string& id = self->nodes_[device].hardwareId;
    auto* out = static_cast<unsigned char*>(buffer);
    const unsigned units = std::min<unsigned>(static_cast<unsigned>(id.size()), size / 2 - 1);
    for (unsigned i = 0; i < units; ++i) {
        out[2 * i] = static_cast<unsigned char>(id[i]);
        out[2 * i + 1] = 0;
    }
    out[2 * units] = out[2 * units + 1] = 0;
    return 2 * units + 2;
}
