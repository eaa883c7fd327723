#include <iostream>
#include <unistd.h>

#include "BatchRun.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return nivaro::RunBatch(arguments, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
