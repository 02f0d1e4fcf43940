// Sends the process's standard output to a temporary file for as long as it lives, so that
// a test sees the very bytes the program writes through the C library.
#ifndef TESTS_STDOUT_CAPTURE_H
#define TESTS_STDOUT_CAPTURE_H

#include <cstdio>
#include <string>
#include <unistd.h>

class StdoutCapture {
public:
    StdoutCapture() : file_(std::tmpfile()), saved_(dup(STDOUT_FILENO))
    {
        std::fflush(stdout);
        dup2(fileno(file_), STDOUT_FILENO);
    }
    ~StdoutCapture()
    {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
        std::fclose(file_);
    }
    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    std::string Text()
    {
        std::fflush(stdout);
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;)
            text += static_cast<char>(c);
        return text;
    }

private:
    std::FILE *file_;
    int saved_;
};

#endif
