#include "SatelliteStandIn.h"
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>

namespace {

// The server's limits: a line that grows past 2 MB without its end closes the connection; a grid of
// more than 2000 keys or 1000 per row is refused.
constexpr std::size_t kMaxLine = 2 * 1024 * 1024;
constexpr double kMaxKeysTotal = 2000;
constexpr double kMaxKeysPerRow = 1000;

// A parameter as the server's reader leaves it: text, or `true` for a word without `=`.
struct Value {
    std::string text;
    bool flag = false;
};
using Params = std::map<std::string, Value>;

// Blanks split, double quotes toggle grouping, a backslash keeps the next character; each fragment
// splits at its first `=`, and a later key wins.
Params ParseParams(const std::string& body) {
    std::vector<std::string> fragments(1);
    bool quoted = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\\') {
            if (i + 1 < body.size())
                fragments.back() += body[i + 1];
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            fragments.emplace_back();
        } else {
            fragments.back() += c;
        }
    }
    Params params;
    for (const std::string& fragment : fragments) {
        const std::size_t equals = fragment.find('=');
        if (equals == std::string::npos) {
            if (!fragment.empty())
                params[fragment] = {"true", true};
        } else if (equals > 0) {
            params[fragment.substr(0, equals)] = {fragment.substr(equals + 1), false};
        }
    }
    return params;
}

// JavaScript's truthiness of a parameter: present and not empty.
bool Truthy(const Params& params, const char* key) {
    const auto it = params.find(key);
    return it != params.end() && (it->second.flag || !it->second.text.empty());
}

bool Falsey(const Value& value) {
    if (value.flag)
        return false;
    std::string lower = value.text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "false" || lower == "0" || lower.empty();
}

// Number() of a parameter for the forms a client sends: a flag is 1, decimal text its value, blanks
// around it ignored; anything else is not a number (the server's Number() takes a few more forms,
// such as hexadecimal, that no client of ours sends).
std::optional<double> NumberOf(const Value& value) {
    if (value.flag)
        return 1.0;
    const std::size_t first = value.text.find_first_not_of(' ');
    if (first == std::string::npos)
        return 0.0;
    const std::string text = value.text.substr(first, value.text.find_last_not_of(' ') - first + 1);
    std::size_t used = 0;
    try {
        const double number = std::stod(text, &used);
        if (used != text.size() || text.find_first_of("xXnN") != std::string::npos)
            return std::nullopt;
        return number;
    } catch (...) {
        return std::nullopt;
    }
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The server's ApiVersion against a.b.c.
bool AtLeast(const std::string& version, int a, int b, int c) {
    int parts[3] = {};
    std::sscanf(version.c_str(), "%d.%d.%d", &parts[0], &parts[1], &parts[2]);
    return std::make_tuple(parts[0], parts[1], parts[2]) >= std::make_tuple(a, b, c);
}

// A message as the server formats it: name, status, DEVICEID, fields, each followed by a blank, then
// the line's end.
std::string Message(const std::string& name, const char* status, const std::string& id,
                    const std::vector<std::pair<std::string, std::string>>& quoted = {}) {
    std::string line = name + " ";
    if (status)
        line += std::string(status) + " ";
    if (!id.empty())
        line += "DEVICEID=\"" + id + "\" ";
    for (const auto& [key, value] : quoted)
        line += key + "=" + value + " ";
    return line + "\n";
}

std::string Error(const std::string& name, const std::string& id, const std::string& message) {
    return Message(name, "ERROR", id, {{"MESSAGE", "\"" + message + "\""}});
}

} // namespace

bool SatelliteStandIn::Start(std::uint16_t port) {
    Stop();
    port_ = port;
    listener_ = ListenLoopback(port_);
    if (listener_ == kNoSocket)
        return false;
    stop_.store(false);
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void SatelliteStandIn::Stop() {
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    CloseSocket(listener_);
    listener_ = kNoSocket;
    for (Connection& connection : connections_)
        CloseSocket(connection.socket);
    connections_.clear();
    devices_.clear();
}

void SatelliteStandIn::Serve() {
    while (!stop_.load()) {
        std::vector<SocketHandle> sockets{listener_};
        {
            std::lock_guard lock(mutex_);
            for (const Connection& connection : connections_)
                sockets.push_back(connection.socket);
        }
        const std::vector<SocketHandle> ready = WaitReadable(sockets, 20);
        std::lock_guard lock(mutex_);
        for (SocketHandle socket : ready) {
            if (socket == listener_) {
                Accept();
                continue;
            }
            for (Connection& connection : connections_)
                if (connection.socket == socket)
                    Read(connection);
        }
        const auto now = std::chrono::steady_clock::now();
        for (Connection& connection : connections_)
            if (now - connection.lastReceived >= std::chrono::milliseconds(options_.idleCloseMs))
                Close(connection);
        std::erase_if(connections_, [](const Connection& c) { return c.socket == kNoSocket; });
    }
}

void SatelliteStandIn::Accept() {
    Connection connection;
    connection.socket = AcceptConnection(listener_);
    if (connection.socket == kNoSocket)
        return;
    connection.number = ++accepted_;
    connection.lastReceived = std::chrono::steady_clock::now();
    if (options_.webServer)
        return connections_.push_back(std::move(connection));
    Send(connection, Message("BEGIN", nullptr, "",
                             {{"CompanionVersion", "\"" + options_.companionVersion + "\""},
                              {"ApiVersion", "\"" + options_.apiVersion + "\""}}));
    if (AtLeast(options_.apiVersion, 1, 10, 0))
        Send(connection, Message("CAPS", nullptr, "",
                                 {{"SUBSCRIPTIONS", "0"},
                                  {"NONSQUARE", "1"},
                                  {"BITMAP_FORMATS", "\"rgb,png,webp\""},
                                  {"ROTARY_AMOUNT", "1"}}));
    connections_.push_back(std::move(connection));
}

void SatelliteStandIn::Read(Connection& connection) {
    char buffer[4096];
    const long got = Receive(connection.socket, buffer, sizeof(buffer));
    if (got <= 0) {
        Close(connection);
        return;
    }
    connection.lastReceived = std::chrono::steady_clock::now();
    if (options_.webServer) {
        Send(connection, "HTTP/1.1 400 Bad Request\r\nConnection: close\r\n\r\n");
        return Close(connection);
    }
    connection.buffer.append(buffer, static_cast<std::size_t>(got));
    std::size_t start = 0;
    for (std::size_t end;
         connection.socket != kNoSocket && (end = connection.buffer.find('\n', start)) != std::string::npos;
         start = end + 1) {
        std::string line = connection.buffer.substr(start, end - start);
        // The server takes out the line's first carriage return, wherever it is.
        if (const std::size_t cr = line.find('\r'); cr != std::string::npos)
            line.erase(cr, 1);
        lines_.push_back({connection.number, line});
        Handle(connection, line);
    }
    if (connection.socket == kNoSocket)
        return;
    connection.buffer.erase(0, start);
    if (connection.buffer.size() > kMaxLine) {
        Send(connection, Error("ERROR", "", "Line too long"));
        Close(connection);
    }
}

void SatelliteStandIn::Handle(Connection& connection, const std::string& line) {
    const std::size_t blank = line.find(' ');
    const std::string command = Upper(line.substr(0, blank));
    const std::string body = blank == std::string::npos ? "" : line.substr(blank + 1);
    const Params params = ParseParams(body);

    if (command == "PING") {
        Send(connection, "PONG " + body + " \n");
        return;
    }
    if (command == "PONG")
        return;
    if (command == "QUIT") {
        Close(connection);
        return;
    }
    if (command == "ADD-DEVICE") {
        if (options_.silentFirstAdd && !firstAddSeen_) {
            firstAddSeen_ = true;
            return;
        }
        firstAddSeen_ = true;
        const auto id = params.find("DEVICEID");
        if (id == params.end() || id->second.flag || id->second.text.empty())
            return Send(connection, Error(command, "", "Missing DEVICEID"));
        const std::string& deviceId = id->second.text;
        if (!Truthy(params, "PRODUCT_NAME"))
            return Send(connection, Error(command, deviceId, "Missing PRODUCT_NAME"));
        const std::string serial = Truthy(params, "SERIAL") ? params.at("SERIAL").text : deviceId;
        if (serial.starts_with("emulator:") || serial.starts_with("group:"))
            return Send(
                connection,
                Error(command, deviceId, Truthy(params, "SERIAL") ? "Reserved SERIAL" : "Reserved DEVICEID"));
        for (const Device& device : devices_) {
            if (device.id != deviceId)
                continue;
            if (device.connection == connection.number)
                return Send(connection, Error(command, deviceId, "Device already added"));
            // The new connection hears nothing; the one that holds the id is told.
            return SendTo(device.connection, Error(command, deviceId, "Device exists elsewhere"));
        }
        // Before API 1.5.1 a surface had at most 32 keys, 8 to a row.
        const bool unlimited = AtLeast(options_.apiVersion, 1, 5, 1);
        const auto dimension = [&](const char* key, double fallback, double legacyMax, double max) {
            const std::optional<double> n = Truthy(params, key) ? NumberOf(params.at(key)) : fallback;
            const bool ok = n && *n > 0 && *n <= (unlimited ? max : legacyMax);
            return ok ? *n : 0.0;
        };
        const double total = dimension("KEYS_TOTAL", 32, 32, kMaxKeysTotal);
        if (total == 0)
            return Send(connection, Error(command, deviceId, "Invalid KEYS_TOTAL"));
        const double perRow = dimension("KEYS_PER_ROW", 8, 8, kMaxKeysPerRow);
        if (perRow == 0)
            return Send(connection, Error(command, deviceId, "Invalid KEYS_PER_ROW"));
        // The lock display on the surface came with API 1.8.0; a new surface is locked under the PIN lock.
        const auto lock = params.find("PINCODE_LOCK");
        const bool showsLock = AtLeast(options_.apiVersion, 1, 8, 0) && lock != params.end() &&
                               !lock->second.flag &&
                               (lock->second.text == "FULL" || lock->second.text == "PARTIAL");
        Device& device = devices_.emplace_back(Device{deviceId, connection.number, static_cast<int>(perRow),
                                                      static_cast<int>(std::ceil(total / perRow)), showsLock,
                                                      !options_.pin.empty(), ""});
        Send(connection, Message(command, "OK", deviceId));
        // Then, as the surface's handler starts: its config (brightness) and its first drawing.
        Send(connection, Message("BRIGHTNESS", nullptr, deviceId, {{"VALUE", "100"}}));
        if (device.locked)
            SendLocked(connection, device);
        return;
    }
    // Companion looks a device up among those of the connection that sent the command.
    const auto OwnDevice = [&](const std::string& id) {
        return std::find_if(devices_.begin(), devices_.end(),
                            [&](const Device& d) { return d.id == id && d.connection == connection.number; });
    };
    if (command == "PINCODE-KEY" && AtLeast(options_.apiVersion, 1, 8, 0)) {
        if (!Truthy(params, "DEVICEID"))
            return Send(connection, Error(command, "", "Missing DEVICEID"));
        const std::string deviceId = params.at("DEVICEID").text;
        const auto device = OwnDevice(deviceId);
        if (device == devices_.end())
            return Send(connection, Error(command, deviceId, "Device not found"));
        if (!Truthy(params, "KEY"))
            return Send(connection, Error(command, deviceId, "Missing KEY"));
        return PincodeKey(connection, *device, params.at("KEY").text);
    }
    if (command == "REMOVE-DEVICE" || command == "KEY-PRESS" || command == "KEY-ROTATE") {
        if (!Truthy(params, "DEVICEID"))
            return Send(connection, Error(command, "", "Missing DEVICEID"));
        const std::string deviceId = params.at("DEVICEID").text;
        const auto device = OwnDevice(deviceId);
        if (device == devices_.end())
            return Send(connection, Error(command, deviceId, "Device not found"));
        if (command == "REMOVE-DEVICE") {
            devices_.erase(device);
            return Send(connection, Message(command, "OK", deviceId));
        }
        if (!Truthy(params, "KEY"))
            return Send(connection, Error(command, deviceId, "Missing KEY"));
        // A key number; the row/column form and numbers past 31 came with API 1.6.0.
        const Value& keyValue = params.at("KEY");
        const std::optional<double> number = keyValue.flag ? std::nullopt : NumberOf(keyValue);
        const int keys = device->columns * device->rows;
        const int limit = AtLeast(options_.apiVersion, 1, 6, 0) ? keys : std::min(keys, 32);
        const double asked = number.value_or(-1);
        if (asked < 0 || asked >= limit || asked != std::floor(asked))
            return Send(connection, Error(command, deviceId, "Invalid KEY"));
        const std::string key = std::to_string(static_cast<int>(asked));
        const char* what = command == "KEY-PRESS" ? "PRESSED" : "DIRECTION";
        if (!Truthy(params, what))
            return Send(connection, Error(command, deviceId, std::string("Missing ") + what));
        const Value& value = params.at(what);
        if (device->locked) {
            // Answered as taken; the locked surface's handler ignores it.
        } else if (command == "KEY-PRESS") {
            actions_.push_back("press " + deviceId + " " + key + " " + (Falsey(value) ? "0" : "1"));
        } else {
            const std::optional<double> n = NumberOf(value);
            const int direction = n ? (*n == 0 ? -1 : static_cast<int>(*n)) : (value.text >= "1" ? 1 : -1);
            actions_.push_back("rotate " + deviceId + " " + key + " " + std::to_string(direction));
        }
        return Send(connection, Message(command, "OK", deviceId));
    }
    Send(connection, Message("ERROR", nullptr, "", {{"MESSAGE", "\"Unknown command: " + command + "\""}}));
}

void SatelliteStandIn::Send(Connection& connection, const std::string& text) {
    if (connection.socket != kNoSocket && !SendAll(connection.socket, text))
        Close(connection);
}

void SatelliteStandIn::SendLocked(Connection& connection, const Device& device) {
    if (!device.showsLock)
        return; // Companion draws the lock on the buttons instead
    std::vector<std::pair<std::string, std::string>> fields = {
        {"LOCKED", device.locked ? "1" : "0"}, {"CHARACTER_COUNT", std::to_string(device.entry.size())}};
    if (AtLeast(options_.apiVersion, 1, 10, 1))
        fields.emplace_back("ROTATION", "0");
    Send(connection, Message("LOCKED-STATE", nullptr, device.id, fields));
}

void SatelliteStandIn::PincodeKey(Connection& connection, Device& device, const std::string& key) {
    const std::optional<double> digit = NumberOf({key, false});
    if (!digit || *digit < 0 || *digit > 9)
        return Send(connection, Error("PINCODE-KEY", device.id, "Invalid KEY"));
    // Typed digits count until they make the PIN (unlocked) or are as long as it (started over); the
    // new state goes out before the answer.
    device.entry += std::to_string(static_cast<int>(*digit));
    if (device.entry == options_.pin) {
        device.entry.clear();
        if (device.locked) {
            device.locked = false;
            actions_.push_back("unlocked " + device.id);
            SendLocked(connection, device);
        }
    } else if (device.entry.size() >= options_.pin.size()) {
        device.entry.clear();
    }
    if (device.locked)
        SendLocked(connection, device);
    Send(connection, Message("PINCODE-KEY", "OK", device.id));
}

void SatelliteStandIn::SendTo(int number, const std::string& text) {
    for (Connection& connection : connections_)
        if (connection.number == number)
            Send(connection, text);
}

void SatelliteStandIn::Close(Connection& connection) {
    if (connection.socket == kNoSocket)
        return;
    CloseSocket(connection.socket);
    connection.socket = kNoSocket;
    std::erase_if(devices_, [&](const Device& d) { return d.connection == connection.number; });
}

void SatelliteStandIn::SendToAll(const std::string& text) {
    std::lock_guard lock(mutex_);
    for (Connection& connection : connections_)
        Send(connection, text);
}

std::vector<StandInLine> SatelliteStandIn::Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::vector<std::string> SatelliteStandIn::Actions() const {
    std::lock_guard lock(mutex_);
    return actions_;
}

std::vector<std::string> SatelliteStandIn::Devices(int connection) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> ids;
    for (const Device& device : devices_)
        if (connection == 0 || device.connection == connection)
            ids.push_back(device.id);
    return ids;
}

int SatelliteStandIn::Accepted() const {
    std::lock_guard lock(mutex_);
    return accepted_;
}

int SatelliteStandIn::Open() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                          [](const Connection& c) { return c.socket != kNoSocket; }));
}

bool SatelliteStandIn::WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
