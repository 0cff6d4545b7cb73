// A capture's clock and stop requests on POSIX systems.
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <csignal>

#include "file_system.h"
#include "session_clock.h"

namespace ambertap {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void askToStop(int signal) {
    stopSignal = signal;
}

}  // namespace

// No SA_RESTART: a signal cuts the wait short.
SystemSessionClock::SystemSessionClock() {
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

SystemSessionClock::~SystemSessionClock() = default;

std::int64_t SystemSessionClock::utcMilliseconds() {
    return millisecondsSince1970();
}

std::int64_t SystemSessionClock::steadyMilliseconds() {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void SystemSessionClock::waitUntil(std::int64_t until) {
    for (std::int64_t now = steadyMilliseconds(); now < until && stopSignal == 0;
         now = steadyMilliseconds()) {
        const std::int64_t wait = until - now;
        struct timespec pause {};
        pause.tv_sec = static_cast<time_t>(wait / 1000);
        pause.tv_nsec = static_cast<long>(wait % 1000 * 1000000);
        nanosleep(&pause, nullptr);
    }
}

bool SystemSessionClock::stopAsked() {
    return stopSignal != 0;
}

}  // namespace ambertap
