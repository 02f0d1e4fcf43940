// Starting a program as a script would, for the tests and the benchmark.
#ifndef TESTS_WINE_PROCESS_H
#define TESTS_WINE_PROCESS_H

#include <windows.h>

#include <string>

// Starts the command line with standard output and error going to output, which must be
// inheritable, and standard input shared with this process.
BOOL StartWithOutput(const std::string &commandLine, HANDLE output, PROCESS_INFORMATION *process);

#endif
