// The command line of stillcutter-cli:
//   info FILE | convert FILE OUTDIR [--start N] [--end M] [--skip-existing] |
//   frame FILE N OUT.tif, with --help, --version, -q/--quiet and --progress anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CliCommand { kHelp, kVersion, kInfo, kConvert, kFrame };

struct CliOptions {
    CliCommand command = CliCommand::kHelp;
    std::vector<std::string> operands;  // after the command word
    // Frame numbers as given; values past 32 bits saturate (they lie past every frame).
    std::optional<uint64_t> start;
    std::optional<uint64_t> end;
    bool skipExisting = false;
    bool quiet = false;
    bool progressLines = false;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string usageError;  // empty when the command line is sound
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// A plain non-negative decimal: digits only, at least one; saturates at UINT64_MAX.
std::optional<uint64_t> ParsePlainNumber(const std::string& text);

// The --help text and the --version line.
std::string HelpText();
std::string VersionText();
