// Fuzzes the reader of the broker's bytes: any split of a stream reads the same packets with the same
// verdict, and the client that acts on them survives anything a broker could send.
#include "connections/MqttClient.h"
#include "connections/MqttCodec.h"
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses where the stream is split.
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = stream.empty() ? 0 : data[0] % (stream.size() + 1);

    MqttPacketReader whole;
    std::vector<MqttInbound> once;
    const bool wholeOk = whole.Feed(stream, once);

    MqttPacketReader parts;
    std::vector<MqttInbound> twice;
    const bool partsOk =
        parts.Feed(stream.substr(0, split), twice) && parts.Feed(stream.substr(split), twice);
    if (wholeOk != partsOk || (wholeOk && once != twice))
        std::abort();

    MqttClientConfig config;
    config.station = "Fuzz";
    config.topic = "kv";
    MqttClient client(config);
    client.OnExposure({{DEVICE_CLASS_KEYBOARDS, 1}, {DEVICE_CLASS_MICE, 2, false}}, 0);
    client.OnConnected(0);
    client.OnReceived(stream.substr(0, split), 1);
    client.OnEvent({}, 2);
    client.OnReceived(stream.substr(split), 3);
    client.OnTick(60'000);
    client.OnGoodbye(60'001);
    client.TakeOutput();
    return 0;
}
