#include "connections/NetworkThreadWin32.h"

#include "base/WindowMessages.h"
#include "connections/NameLookupWin32.h"
#include "connections/TlsChannelWin32.h"
#include "res/resource.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <chrono>
#include <map>

namespace {

MonoMs NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One run of the network thread: its sockets, each with the event WSAEventSelect sets.
class NetworkShellWin32 final : public NetworkShell {
public:
    explicit NetworkShellWin32(NameLookupFunction lookup)
        : lookup_(std::move(lookup)), wake_(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~NetworkShellWin32() override {
        for (const auto& [socket, event] : events_) {
            ::closesocket(static_cast<SOCKET>(socket));
            ::WSACloseEvent(event);
        }
        if (wake_)
            ::CloseHandle(wake_);
    }
    NetworkShellWin32(const NetworkShellWin32&) = delete;
    NetworkShellWin32& operator=(const NetworkShellWin32&) = delete;

    void Wake() override { ::SetEvent(wake_); }

    void Notify(std::uintptr_t window) override {
        if (window && !::PostMessageA(reinterpret_cast<HWND>(window), WM_CONNECTIONS_STATUS, 0, 0))
            TraceLastError("PostMessageA(WM_CONNECTIONS_STATUS)");
    }

    std::shared_ptr<PendingLookup> Resolve(const std::string& host, std::uint16_t port) override {
        return NameLookupWin32::Start(host, port, wake_, lookup_);
    }

    int Connect(const Ipv4Endpoint& to, NetSocket& socket) override {
        const SOCKET created = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (created == INVALID_SOCKET)
            return ::WSAGetLastError();
        socket = static_cast<NetSocket>(created);
        const WSAEVENT event = ::WSACreateEvent();
        events_[socket] = event;
        // Small writes go at once: an event is a few bytes that should not wait for more.
        const BOOL noDelay = TRUE;
        ::setsockopt(created, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                     sizeof noDelay);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = to.address;
        address.sin_port = to.port;
        if (::WSAEventSelect(created, event, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == SOCKET_ERROR ||
            (::connect(created, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                 SOCKET_ERROR &&
             ::WSAGetLastError() != WSAEWOULDBLOCK))
            return ::WSAGetLastError();
        return 0;
    }

    int Events(NetSocket socket, SocketNews& news) override {
        WSANETWORKEVENTS happened{};
        if (::WSAEnumNetworkEvents(static_cast<SOCKET>(socket), EventOf(socket), &happened) == SOCKET_ERROR)
            return ::WSAGetLastError();
        news.connected = (happened.lNetworkEvents & FD_CONNECT) != 0;
        news.connectError = happened.iErrorCode[FD_CONNECT_BIT];
        news.readable = (happened.lNetworkEvents & FD_READ) != 0;
        news.writable = (happened.lNetworkEvents & FD_WRITE) != 0;
        news.closed = (happened.lNetworkEvents & FD_CLOSE) != 0;
        news.closeError = happened.iErrorCode[FD_CLOSE_BIT];
        return 0;
    }

    Transfer Receive(NetSocket socket, char* buffer, std::size_t size) override {
        return Result(::recv(static_cast<SOCKET>(socket), buffer, static_cast<int>(size), 0));
    }

    Transfer Send(NetSocket socket, std::string_view bytes) override {
        return Result(::send(static_cast<SOCKET>(socket), bytes.data(), static_cast<int>(bytes.size()), 0));
    }

    void ShutdownSend(NetSocket socket) override { ::shutdown(static_cast<SOCKET>(socket), SD_SEND); }

    void Close(NetSocket socket) override {
        ::shutdown(static_cast<SOCKET>(socket), SD_SEND);
        // What the peer sent and we did not read would turn the close into a reset.
        char buffer[4096];
        while (::recv(static_cast<SOCKET>(socket), buffer, sizeof buffer, 0) > 0) {
        }
        ::closesocket(static_cast<SOCKET>(socket));
        if (const auto found = events_.find(socket); found != events_.end()) {
            ::WSACloseEvent(found->second);
            events_.erase(found);
        }
    }

    void Wait(std::span<const WaitFor> sockets, MonoMs timeoutMs) override {
        std::vector<WSAEVENT> handles{wake_};
        for (const WaitFor& item : sockets)
            if (const WSAEVENT event = EventOf(item.socket);
                event != WSA_INVALID_EVENT && handles.size() < WSA_MAXIMUM_WAIT_EVENTS)
                handles.push_back(event);
        ::WSAWaitForMultipleEvents(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                   static_cast<DWORD>(timeoutMs), FALSE);
    }

    MonoMs Now() const override { return NowMs(); }

    // Windows' own text for a socket error, without its final full stop.
    std::string ErrorText(int code) const override {
        char* buffer = nullptr;
        const DWORD length = ::FormatMessageA(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
        std::string text = length != 0 && buffer ? std::string(buffer, length) : std::string();
        if (buffer)
            ::LocalFree(buffer);
        while (!text.empty() &&
               (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
            text.pop_back();
        if (text.empty())
            text = StringTableTexts().Format(IDS_CONNECTION_ERROR, {std::to_string(code)});
        return text;
    }

    int TimedOutError() const override { return WSAETIMEDOUT; }

    std::string ClosedByPeerText() const override {
        return LoadResourceString(IDS_CONNECTION_CLOSED_BY_PEER);
    }

    std::unique_ptr<SecureChannel> OpenSecureChannel(const std::string& serverName,
                                                     const std::string& caFile) override {
        return std::make_unique<TlsChannelWin32>(serverName, caFile);
    }

    void Remark(std::string_view peer, std::string_view detail) override { TraceRemark(peer, detail); }

private:
    WSAEVENT EventOf(NetSocket socket) const {
        const auto found = events_.find(socket);
        return found == events_.end() ? WSA_INVALID_EVENT : found->second;
    }
    static Transfer Result(int done) {
        if (done > 0)
            return {Transfer::Outcome::Moved, static_cast<std::size_t>(done), 0};
        if (done == 0)
            return {Transfer::Outcome::Ended, 0, 0};
        const int error = ::WSAGetLastError();
        return {error == WSAEWOULDBLOCK ? Transfer::Outcome::WouldBlock : Transfer::Outcome::Failed, 0,
                error};
    }

    NameLookupFunction lookup_;
    HANDLE wake_;
    std::map<NetSocket, WSAEVENT> events_;
};

DWORD WINAPI RunThread(void* parameter) {
    const std::unique_ptr<std::function<void()>> run(static_cast<std::function<void()>*>(parameter));
    (*run)();
    return 0;
}

// Winsock for the program's lifetime, and the thread of CreateThread.
class NetworkSystemWin32 final : public NetworkSystem {
public:
    explicit NetworkSystemWin32(NameLookupFunction lookup) : lookup_(std::move(lookup)) {
        WSADATA data{};
        winsock_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~NetworkSystemWin32() override {
        ForgetThread();
        // A thread that did not end keeps its own share of the state; its sockets need Winsock.
        if (winsock_ && !abandoned_)
            ::WSACleanup();
    }
    NetworkSystemWin32(const NetworkSystemWin32&) = delete;
    NetworkSystemWin32& operator=(const NetworkSystemWin32&) = delete;

    std::shared_ptr<NetworkShell> NewShell() override { return std::make_shared<NetworkShellWin32>(lookup_); }

    bool StartThread(std::function<void()> run) override {
        auto parameter = std::make_unique<std::function<void()>>(std::move(run));
        thread_ = ::CreateThread(nullptr, 0, &RunThread, parameter.get(), 0, nullptr);
        if (!thread_) {
            TraceLastError("CreateThread(network)");
            return false;
        }
        parameter.release();
        return true;
    }
    bool HasThread() const override { return thread_ != nullptr; }
    bool ThreadRunning() const override {
        return thread_ && ::WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT;
    }
    bool WaitForThread(MonoMs boundMs) override {
        return !thread_ || ::WaitForSingleObject(thread_, static_cast<DWORD>(boundMs)) == WAIT_OBJECT_0;
    }
    void ForgetThread() override {
        if (!thread_)
            return;
        abandoned_ = abandoned_ || ThreadRunning();
        ::CloseHandle(thread_);
        thread_ = nullptr;
    }
    void Pause() override { ::Sleep(1); }
    MonoMs Now() const override { return NowMs(); }

private:
    NameLookupFunction lookup_;
    bool winsock_ = false;
    bool abandoned_ = false;
    HANDLE thread_ = nullptr;
};

} // namespace

NetworkThreadWin32::NetworkThreadWin32(NetworkTimes times, NameLookupFunction lookup)
    : NetworkHub(times, std::make_unique<NetworkSystemWin32>(std::move(lookup))) {}
