#include "process.h"

BOOL StartWithOutput(const std::string &commandLine, HANDLE output, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string line = commandLine; // CreateProcessA may write to it
    return CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, process);
}
