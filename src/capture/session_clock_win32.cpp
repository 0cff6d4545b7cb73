// A capture's clock and stop requests on Windows: console control events.
#include <windows.h>

#include <climits>

#include "file_system.h"
#include "session_clock.h"

namespace ambertap {

namespace {

// Set by the console's handler thread, waited for by the capture.
HANDLE stopEvent = nullptr;
// Set once the capture's file is finished, waited for by a closing console.
HANDLE finishedEvent = nullptr;

// How long a closing console waits for the file; Windows gives a console's
// programs 5 s before it ends them.
constexpr DWORD closingWait = 4000;

BOOL WINAPI askToStop(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            SetEvent(stopEvent);
            if (event == CTRL_CLOSE_EVENT) {
                WaitForSingleObject(finishedEvent, closingWait);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

// GetTickCount wraps after 49.7 days; counted on in 64 bits from the last look.
std::uint64_t ticks = 0;
DWORD lastTick = 0;

}  // namespace

SystemSessionClock::SystemSessionClock() {
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    finishedEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    lastTick = GetTickCount();
    // A program started with Ctrl-C ignored (a new process group) takes it again.
    SetConsoleCtrlHandler(nullptr, FALSE);
    SetConsoleCtrlHandler(askToStop, TRUE);
}

SystemSessionClock::~SystemSessionClock() {
    SetEvent(finishedEvent);
}

std::int64_t SystemSessionClock::utcMilliseconds() {
    return millisecondsSince1970();
}

std::int64_t SystemSessionClock::steadyMilliseconds() {
    const DWORD tick = GetTickCount();
    ticks += static_cast<DWORD>(tick - lastTick);
    lastTick = tick;
    return static_cast<std::int64_t>(ticks);
}

void SystemSessionClock::waitUntil(std::int64_t until) {
    const std::int64_t wait = until - steadyMilliseconds();
    if (wait > 0) {
        WaitForSingleObject(stopEvent, wait > INT_MAX ? INFINITE - 1 : static_cast<DWORD>(wait));
    }
}

bool SystemSessionClock::stopAsked() {
    return WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

}  // namespace ambertap
