// The answers to `rastrify --help` and `rastrify --version`, given before
// any conversion starts.
#pragma once

#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace rastrify {

// The full usage, every option with what it does.
std::string usage_text();

// "rastrify " and the library's version, with a line end.
std::string version_text();

// When the arguments (program name excluded) are exactly "--help" or
// exactly "--version", writes its answer to out and returns the exit
// status: 0, or 1 when out could not take it. Any other argument list is
// a conversion, whose first argument names the input grid: nullopt.
std::optional<int> answer_query(std::span<const std::string> arguments, std::ostream& out);

}  // namespace rastrify
