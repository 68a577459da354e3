// The program's entry point: the one application object and the framework's start.
#include "app/KvRemoteAppWin32.h"
#include "capture/LatencyTrace.h"

namespace {

CkvRemoteApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    const int result = WinFxMain(instance, showCommand);
#ifdef KV_LATENCY_TRACE
    TraceWrite("kvRemote-trace.txt");
#endif
    return result;
}
