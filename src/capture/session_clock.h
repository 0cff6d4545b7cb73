// The clocks of the system this program was built for, and its requests to
// stop a capture: Ctrl-C, and on Windows Ctrl-Break and a closed console, on
// POSIX systems SIGINT, SIGTERM and SIGHUP. Making the clock installs their
// handlers, even for a signal that was ignored when the program started, as
// a shell ignores SIGINT for a program that it starts in the background.
#pragma once

#include "capture_session.h"

namespace ambertap {

class SystemSessionClock final : public SessionClock {
  public:
    SystemSessionClock();
    // Lets a console that is closing end the program: Windows ends it as soon
    // as the handler of its close returns, so the handler waits for this.
    ~SystemSessionClock() override;
    SystemSessionClock(const SystemSessionClock&) = delete;
    SystemSessionClock& operator=(const SystemSessionClock&) = delete;

    std::int64_t utcMilliseconds() override;
    std::int64_t steadyMilliseconds() override;
    void waitUntil(std::int64_t until) override;
    bool stopAsked() override;
};

}  // namespace ambertap
