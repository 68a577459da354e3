// The process-wide crash handlers: an unhandled exception on any thread, or std::terminate, first
// sets both driver filters to 0 (ClearFiltersOnCrash) and then lets the crash go on as it would
// have: the previous handler runs, nothing is swallowed and no window of ours appears.
#include "capture/CaptureWin32.h"
#include "capture/CrashFilterReset.h"
#include <windows.h>

#include <cstdlib>
#include <exception>

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER gPreviousFilter = nullptr;
std::terminate_handler gPreviousTerminate = nullptr;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception) {
    ClearFiltersOnCrash();
    return gPreviousFilter ? gPreviousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void OnTerminate() {
    ClearFiltersOnCrash();
    if (gPreviousTerminate)
        gPreviousTerminate();
    std::abort();
}

} // namespace

void InstallCrashHandlersWin32() {
    gPreviousFilter = ::SetUnhandledExceptionFilter(OnUnhandledException);
    gPreviousTerminate = std::set_terminate(OnTerminate);
}
