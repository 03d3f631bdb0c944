// rastrify: converts a grid file into an 8-bit palette BMP image.
#include "converter.h"
#include "usage.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    if (const auto status = rastrify::answer_query(arguments, std::cout)) return *status;
    return rastrify::run(argc, argv);
}
