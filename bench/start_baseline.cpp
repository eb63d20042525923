// The baseline of process start: a C++ program that links only the C++ runtime and prints a
// usage line, as the tools do for --help.
#include <iostream>

int main()
{
    std::cout << "usage: start_baseline [--help]\n";
    return 0;
}
