// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char *argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return vantrel::runVantrelCheck(args, std::cout, std::cerr);
    } catch (const std::exception &e) {
        std::cerr << "vantrel-check: " << e.what() << '\n';
        return 2;
    }
}
