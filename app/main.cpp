// rastrify: converts a grid file into an 8-bit palette BMP image.
#include "converter.h"

int main(int argc, char** argv) { return rastrify::run(argc, argv); }
