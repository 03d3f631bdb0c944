// The converter's run: usage text, names, options, the library calls in
// their order, and the exit status.
#pragma once

#include <span>
#include <string>

namespace rastrify {

class Console;

// Runs one conversion; returns the process exit status: 0 at the normal end,
// 1 after a stop or a failure (each reported by one message).
int run(int argc, char** argv);

// The run on given arguments (program name excluded) and console.
int convert(std::span<const std::string> arguments, Console& console);

}  // namespace rastrify
