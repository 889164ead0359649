#include <iostream>
#include <string>
#include <vector>

#include "KestrovaReg.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return kestrovareg::Run(args, std::cout, std::cerr);
}
