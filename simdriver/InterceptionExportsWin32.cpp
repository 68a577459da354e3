// The exported operations of the simulated interception.dll. One context at a time: it reads the
// device description, opens the record and starts the injection socket; destroying it stops them.
#include "SimDriver.h"
#include "SimListener.h"
#include "capture/DeviceClass.h"

#include <windows.h>

#include <dbt.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

namespace {

constexpr unsigned short kDefaultPort = 47801;

std::string Environment(const char* name) {
    char value[1024];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

// What Windows does when a device node comes or goes. Posted, never sent: the listener thread
// must not wait on a window's thread, least of all the program's user-interface thread.
void BroadcastDevicesChanged() {
    PostMessageA(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
}

struct SimContext {
    SimRecord record;
    SimDriver driver;
    SimListener listener;

    SimContext(const std::string& logPath, const SimDevices& devices)
        : record(logPath), driver(devices, record, BroadcastDevicesChanged) {}
};

std::mutex g_lock;
// Read at run time, so the compiler cannot see the null and put something else in the fault's place.
int* volatile g_nowhere = nullptr;
std::atomic<SimContext*> g_context{nullptr};

SimDriver* DriverOf(void* context) {
    return context && context == g_context.load() ? &static_cast<SimContext*>(context)->driver : nullptr;
}

} // namespace

extern "C" {

void* __cdecl interception_create_context() {
    std::lock_guard lock(g_lock);
    if (g_context)
        return nullptr; // one context at a time
    SimDevices devices;
    std::string readError;
    if (const std::string path = Environment("KVSIM_DEVICES"); !path.empty()) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        if (file)
            devices = ParseSimDevices(text.str());
        else
            readError = "error cannot read devices file " + path;
    }
    if (devices.absent)
        return nullptr;

    const std::string portText = Environment("KVSIM_PORT");
    const long port = portText.empty() ? kDefaultPort : std::strtol(portText.c_str(), nullptr, 10);
    auto context = std::make_unique<SimContext>(Environment("KVSIM_LOG"), devices);
    if (!readError.empty())
        context->record.Add(readError);
    for (const std::string& error : devices.errors)
        context->record.Add("error " + error);
    SimDriver& driver = context->driver;
    const bool listening =
        port > 0 && port <= 65535 &&
        context->listener.Start(static_cast<unsigned short>(port), [&driver](std::string_view line) {
            return driver.Execute(ParseSimCommand(line));
        });
    context->record.Add(listening ? "open port " + std::to_string(port)
                                  : "error cannot listen on port " + portText);
    g_context = context.release();
    return g_context.load();
}

void __cdecl interception_destroy_context(void* context) {
    std::lock_guard lock(g_lock);
    SimContext* current = g_context.load();
    if (!context || context != current)
        return;
    current->listener.Stop();
    current->record.Add("close");
    g_context = nullptr;
    delete current;
}

void __cdecl interception_set_filter(void* context, DriverPredicate predicate, unsigned short filter) {
    if (SimDriver* driver = DriverOf(context))
        driver->SetFilter(predicate, filter);
}

int __cdecl interception_wait_with_timeout(void* context, unsigned long milliseconds) {
    SimDriver* driver = DriverOf(context);
    return driver ? driver->Wait(milliseconds) : 0;
}

int __cdecl interception_receive(void* context, int device, Stroke* strokes, unsigned int count) {
    SimDriver* driver = DriverOf(context);
    if (driver && driver->TakeCrash()) {
        // A real access violation, with no lock of ours held: the program's crash handler calls
        // set_filter before the process goes.
        *g_nowhere = 1;
    }
    return driver ? driver->Receive(device, strokes, count) : 0;
}

int __cdecl interception_send(void* context, int device, const Stroke* strokes, unsigned int count) {
    SimDriver* driver = DriverOf(context);
    return driver ? driver->Send(device, strokes, count) : 0;
}

int __cdecl interception_is_keyboard(int device) {
    return IsKeyboardNumber(device) ? 1 : 0;
}

int __cdecl interception_is_mouse(int device) {
    return IsMouseNumber(device) ? 1 : 0;
}

unsigned int __cdecl interception_get_hardware_id(void* context, int device, void* buffer,
                                                  unsigned int size) {
    SimDriver* driver = DriverOf(context);
    return driver ? driver->HardwareId(device, buffer, size) : 0;
}

} // extern "C"
