// `ambertrace watch`: the capture of `record`, shown live as the records come
// (the lines of show, --full, --json, or check's findings), and kept in a
// capture file too with --save.
#pragma once

#include <cstdint>

#include "command_line.h"
#include "device_system.h"
#include "run_ambertrace.h"

namespace ambertap {

// How long `watch --stop-on` reads on after the first finding of its
// severity: what the application did next, and the call's clearing with its
// answers, explain a fault, and take a second or two.
inline constexpr std::int64_t stopOnDelay = 3000;  // ms

int watchTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams);

}  // namespace ambertap
