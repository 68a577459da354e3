// Fuzzes what a Satellite server may send: the line reader and the message reader on any bytes, in
// any split, and a whole client fed with them between presses and ticks. Lines come out without
// their end and within the length limit, and whatever came in, the client writes only whole lines
// of its own commands.
#include "connections/SatelliteClient.h"
#include "connections/SatelliteLineReader.h"
#include "connections/SatelliteMessage.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void CheckOutput(std::string_view out) {
    static constexpr std::string_view kCommands[] = {
        "ADD-DEVICE ", "REMOVE-DEVICE ", "KEY-PRESS ", "KEY-ROTATE ", "PING ", "PONG", "QUIT"};
    while (!out.empty()) {
        const std::size_t end = out.find('\n');
        if (end == std::string_view::npos)
            std::abort();
        const std::string_view line = out.substr(0, end);
        if (line.find('\r') != std::string_view::npos)
            std::abort();
        bool known = false;
        for (std::string_view command : kCommands)
            known = known || line.starts_with(command);
        if (!known)
            std::abort();
        out.remove_prefix(end + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const std::size_t chunk = 1 + data[0] % 64;
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    SatelliteLineReader reader;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        reader.Feed(bytes.substr(at, chunk), [](std::string_view line) {
            if (line.size() > SatelliteLineReader::kMaxLine || line.find('\n') != std::string_view::npos)
                std::abort();
            const SatelliteMessage message = ParseSatelliteMessage(line);
            for (const auto& [key, value] : message.params)
                if (key.empty() || key.find('=') != std::string::npos)
                    std::abort();
            if (const auto version = ParseSatelliteApiVersion(message.Param("ApiVersion").value_or(""));
                version && (version->major < 0 || version->minor < 0 || version->patch < 0))
                std::abort();
        });
    }

    // A client that was given BEGIN, with a keypad and a mouse, reading the same bytes.
    SatelliteClient client({"PC", data[0] & 1 ? KeyboardLayoutKind::Full : KeyboardLayoutKind::Keypad, {}});
    client.OnExposure({{DEVICE_CLASS_KEYBOARDS, 1}, {DEVICE_CLASS_MICE, 3}}, 0);
    client.OnConnected(0);
    client.OnReceived("BEGIN ApiVersion=1.14.0\nADD-DEVICE OK DEVICEID=kvremote:PC-keyboard-1\n", 1);
    MonoMs now = 2;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        client.OnReceived(bytes.substr(at, chunk), now);
        DestinationEvent event;
        event.kind = static_cast<DestinationEventKind>(bytes[at] % 3);
        event.deviceClass = bytes[at] & 4 ? DEVICE_CLASS_MICE : DEVICE_CLASS_KEYBOARDS;
        event.index = bytes[at] & 4 ? 3 : 1;
        event.key = static_cast<unsigned char>(bytes[at]) | (bytes[at] & 8 ? 0x100 : 0);
        event.button = static_cast<MouseButton>(bytes[at] % 4);
        event.delta = static_cast<signed char>(bytes[at]) * 8;
        client.OnEvent(event, now);
        client.OnTick(now += 700);
        CheckOutput(client.TakeOutput());
        if (client.WantsClose()) {
            client.OnClosed(now);
            client.OnConnected(now);
        }
    }
    client.OnGoodbye(now);
    CheckOutput(client.TakeOutput());
    (void)client.StatusDetail();
    return 0;
}
