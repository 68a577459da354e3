// Cost of what runs per captured event on the user-interface thread (command, REMOTE line, the
// send sequence over a host that does nothing), and of the Default button's ranking of 64 interfaces.
#include "remote/BroadcastDetection.h"
#include "remote/CommandComposer.h"
#include "remote/RemoteLine.h"
#include "station/RemoteSender.h"
#include <benchmark/benchmark.h>
#include <vector>

namespace {

void BM_ComposeCommand(benchmark::State& state) {
    int32_t code = 0;
    for (auto _ : state) {
        std::string command = ComposeCommand("", DEVICE_CLASS_KEYBOARDS, code++ & 0xFF, 6, 200, 0, 0);
        benchmark::DoNotOptimize(command);
    }
}
BENCHMARK(BM_ComposeCommand);

void BM_ComposeAndFormatLine(benchmark::State& state) {
    for (auto _ : state) {
        const std::string command = ComposeCommand("AUXMOUSE", DEVICE_CLASS_MICE, 1024, -120, 7, 0, 0);
        std::string line = FormatRemoteLine("STN2", "RIG", command);
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(BM_ComposeAndFormatLine);

class NullHost : public RemoteSenderHost {
public:
    void SetLastCommandText(std::string_view c) override { benchmark::DoNotOptimize(c.data()); }
    bool IsMainWindowForeground() override { return false; }
    void FlashTitle(std::string_view c) override { benchmark::DoNotOptimize(c.data()); }
    void SendLine(std::string_view l) override { benchmark::DoNotOptimize(l.data()); }
    uint32_t TickCount() override { return ++tick_; }
    void StartAnimation(uint32_t now) override { benchmark::DoNotOptimize(now); }

private:
    uint32_t tick_ = 0;
};

void BM_SendRemoteCommand(benchmark::State& state) {
    NullHost host;
    SettingsValues settings;
    settings.keyboards = {false, 3, ""};
    settings.mouses = {false, 4, ""};
    settings.applicationId = "";
    for (auto _ : state)
        SendRemoteCommand(settings, host, 65, 1, DEVICE_CLASS_KEYBOARDS, kMainDeviceMark);
}
BENCHMARK(BM_SendRemoteCommand);

void BM_DetectBroadcast64(benchmark::State& state) {
    std::vector<InterfaceRecord> list;
    for (uint32_t i = 0; i < 64; ++i)
        list.push_back({kIffUp, (81u << 24) | i, 0xFFFFFF00u}); // public: every record is ranked
    for (auto _ : state) {
        std::string address = DetectBroadcastAddress(list);
        benchmark::DoNotOptimize(address);
    }
}
BENCHMARK(BM_DetectBroadcast64);

} // namespace

BENCHMARK_MAIN();
