// floor_probe: the least a captured stroke's way to its REMOTE line can cost under this system,
// the same hops without kvRemote's work between them:
//   a datagram into this process, read by a listener thread waiting on its socket event;
//   an event wake of a second thread (stamped on both sides: the floor of a re-injected stroke);
//   a message posted from that thread to a window of the main thread;
//   the window's handler sending the line out as a broadcast datagram.
//
//   floor_probe --in-port N --out-port N
//
// Every line that is not a command goes out unchanged to 127.255.255.255:out-port. Commands, each
// answered to its sender: "timing?" the event wake's summary (as the simulated driver answers its
// own), "reset-timing" starts it afresh, "ping?" answers "pong", "quit" answers "bye" and ends.
#include "SimClock.h"
#include "SimListener.h"
#include "SimTiming.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr UINT WM_LINE = WM_APP + 1;

struct Pending {
    std::string line;
    std::int64_t tick;
    std::uint64_t sequence;
};

HWND g_window = nullptr;
SOCKET g_out = INVALID_SOCKET;
sockaddr_in g_destination{};

std::mutex g_lock;
std::deque<Pending> g_pending;
SimTiming g_timing;
HANDLE g_arrived = nullptr; // auto-reset
HANDLE g_stop = nullptr;    // manual-reset

std::optional<std::string> OnLine(std::string_view line) {
    if (line == "quit") {
        PostMessageA(g_window, WM_CLOSE, 0, 0);
        return "bye\n";
    }
    if (line == "ping?")
        return "pong\n";
    {
        std::lock_guard lock(g_lock);
        if (line == "timing?")
            return g_timing.Summary(SimClockTicksPerSecond());
        if (line == "reset-timing") {
            g_timing.Reset();
            return std::nullopt;
        }
        if (line.empty())
            return std::nullopt;
        g_pending.push_back({std::string(line), SimClockTicks(), 0});
        g_pending.back().sequence = g_timing.Held(g_pending.size());
    }
    SetEvent(g_arrived);
    return std::nullopt;
}

// The second thread: woken by the event (or every 50 ms, as the capture thread), it hands each
// line to the window.
void Relay() {
    HANDLE events[2] = {g_stop, g_arrived};
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, 50);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
            return;
        const std::int64_t now = SimClockTicks();
        for (;;) {
            Pending p;
            {
                std::lock_guard lock(g_lock);
                if (g_pending.empty())
                    break;
                p = std::move(g_pending.front());
                g_pending.pop_front();
                g_timing.Sent(p.sequence, p.tick, now);
            }
            PostMessageA(g_window, WM_LINE, 0, reinterpret_cast<LPARAM>(new std::string(std::move(p.line))));
        }
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LINE) {
        const auto* line = reinterpret_cast<std::string*>(lParam);
        sendto(g_out, line->data(), static_cast<int>(line->size()), 0,
               reinterpret_cast<const sockaddr*>(&g_destination), sizeof g_destination);
        delete line;
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    long inPort = 0, outPort = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--in-port"))
            inPort = std::strtol(argv[i + 1], nullptr, 10);
        else if (!std::strcmp(argv[i], "--out-port"))
            outPort = std::strtol(argv[i + 1], nullptr, 10);
    }
    if (inPort <= 0 || inPort > 65535 || outPort <= 0 || outPort > 65535) {
        std::fprintf(stderr, "usage: floor_probe --in-port N --out-port N\n");
        return 2;
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "kvFloorProbe";
    RegisterClassA(&wc);
    g_window = CreateWindowA(wc.lpszClassName, "floor_probe", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);

    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    g_out = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    BOOL on = TRUE;
    setsockopt(g_out, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    g_destination.sin_family = AF_INET;
    g_destination.sin_port = htons(static_cast<u_short>(outPort));
    g_destination.sin_addr.s_addr = htonl(0x7FFFFFFF); // 127.255.255.255

    g_arrived = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SimListener listener;
    if (!g_window || g_out == INVALID_SOCKET ||
        !listener.Start(static_cast<unsigned short>(inPort), OnLine)) {
        std::fprintf(stderr, "floor_probe: cannot listen on 127.0.0.1:%ld\n", inPort);
        return 1;
    }
    std::thread relay(Relay);
    std::printf("floor_probe: listening on %ld\n", inPort);
    std::fflush(stdout);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);

    SetEvent(g_stop);
    relay.join();
    listener.Stop();
    closesocket(g_out);
    WSACleanup();
    return 0;
}
