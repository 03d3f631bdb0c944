// The converter's run: usage text, names, options, the library calls in
// their order, and the exit status.
#pragma once

namespace rastrify {

// Runs one conversion; returns the process exit status (0 normal end, 1 stop or failure).
int run(int argc, char** argv);

}  // namespace rastrify
