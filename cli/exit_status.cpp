#include "exit_status.h"

#include <cstdio>

int Fail(int status, const std::string& message)
{
    // One line, whatever the library's detail holds.
    std::string line = message;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    std::fprintf(stderr, "stillcutter-cli: %s\n", line.c_str());
    return status;
}
