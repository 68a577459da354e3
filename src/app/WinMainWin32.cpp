// The program's entry point: the one application object and the framework's start.
#include "app/KvRemoteAppWin32.h"

namespace {

CkvRemoteApp theApp;

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return WinFxMain(instance, showCommand);
}
