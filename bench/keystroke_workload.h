#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "quillo/core/commands/command.h"

namespace quillo::bench {

// What the keystroke benchmarks type, one key at a time.
inline constexpr std::array<std::string_view, 17> kKeystrokeQueries{
    "screenshot",   "volume",     "lock",       "keep awake", "wifi",      "bluetooth",
    "dark mode",    "doc",        "terminal",   "safari",     "downloads", "display",
    "activity mon", "new window", "export pdf", "zzqxjv",     "jjvvkwq"};

// The system's commands and 5,000 synthetic actions, the same on every run.
std::vector<core::Command> keystrokeCommands();

// The calling thread's own CPU time in microseconds: what a keystroke costs whatever else the
// machine runs.
double threadCpuMicros();

// The sample at `fraction` (0 to 1) of the sorted samples, by the nearest rank.
double percentile(std::vector<double> samples, double fraction);

}  // namespace quillo::bench
