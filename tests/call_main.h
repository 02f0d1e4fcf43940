// Calls the program's own main in-process, as the console start-up would.
#ifndef TESTS_CALL_MAIN_H
#define TESTS_CALL_MAIN_H

#include <string>
#include <vector>

// The program's main, compiled under this name for the tests.
int SirCamCleanupMain(int argc, char *argv[], char *envp[]);

// argv holds the program's name, then the arguments; envp is a null-terminated list.
inline int CallMain(std::vector<std::string> arguments, char *envp[])
{
    arguments.insert(arguments.begin(), "sircam_cleanup.exe");
    std::vector<char *> argv;
    for (std::string &word : arguments)
        argv.push_back(&word[0]);
    argv.push_back(nullptr);
    return SirCamCleanupMain(static_cast<int>(arguments.size()), argv.data(), envp);
}

#endif
