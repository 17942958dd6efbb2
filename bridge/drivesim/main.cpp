#include "DriveSimCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return sim::RunDriveSim(args, std::cout, std::cerr);
}
