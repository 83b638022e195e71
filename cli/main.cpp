// stillcutter-cli: the batch conversion of the dialog program without a window.
#include "cli_options.h"
#include "commands.h"
#include "exit_status.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.usageError.empty())
        return Fail(kExitUsage, parsed.usageError + " (see 'stillcutter-cli --help')");
    const CliOptions& options = parsed.options;
    switch (options.command) {
    case CliCommand::kHelp:
        std::fputs(HelpText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    case CliCommand::kVersion:
        std::fputs(VersionText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
    case CliCommand::kInfo:
        return RunInfo(options);
    case CliCommand::kConvert:
        return RunConvert(options);
    case CliCommand::kFrame:
        return RunFrame(options);
    }
    return kExitUsage;
}
