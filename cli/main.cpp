#include "cli/commands.h"

#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

void PrintUsage()
{
    std::fputs("użycie: osiowiec-cli POLECENIE ...\n"
               "  eval [--degrees] [--order N] [--program] WZÓR [X ...]\n",
               stderr);
}

} // namespace

int main(int argc, char** argv)
{
    // Numbers are always written and read with a decimal point.
    std::setlocale(LC_ALL, "C");
    if (argc < 2) {
        PrintUsage();
        return 1;
    }
    const char* command = argv[1];
    if (std::strcmp(command, "eval") == 0)
        return RunEval(argc - 2, argv + 2);
    if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "help") == 0) {
        PrintUsage();
        return 0;
    }
    std::fprintf(stderr, "nieznane polecenie: %s\n", command);
    PrintUsage();
    return 1;
}
