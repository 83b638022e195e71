// Runs build/stillcutter-cli as a child process for the end-to-end tests.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace clitest {

struct CliResult {
    int status = -1;     // exit status, or 128 + signal when a signal ended it
    std::string out;     // standard output
    std::string err;     // standard error
};

struct CliLaunch {
    std::vector<std::string> args;
    long fileSizeLimit = -1;  // RLIMIT_FSIZE in bytes for the child, -1 for none
    bool stderrIsTerminal = false;  // standard error on a pseudo-terminal
};

// The program under test: <build folder>/stillcutter-cli.
std::string CliPath();

// Runs the program to its end and collects what it printed.
CliResult RunCli(const CliLaunch& launch);
CliResult RunCli(const std::vector<std::string>& args);

// Starts the program with its output going to files in `logDir`; returns its process id.
pid_t StartCli(const std::vector<std::string>& args, const std::string& logDir);
// Waits for a child started by StartCli; returns its exit status (128 + signal if killed).
int WaitCli(pid_t pid);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace clitest
