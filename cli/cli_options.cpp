#include "cli_options.h"

#include <limits>

#ifndef STILLCUTTER_VERSION
#define STILLCUTTER_VERSION "unknown"
#endif

namespace {

struct CommandWord {
    const char* word;
    CliCommand command;
    size_t operands;
};

constexpr CommandWord kCommands[] = {
    {"info", CliCommand::kInfo, 1},
    {"convert", CliCommand::kConvert, 2},
    {"frame", CliCommand::kFrame, 3},
};

// "--name=value" or "--name value": the value, or an error.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value, std::string& error)
{
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = "option '" + name + "' needs a frame number";
        return false;
    }
    value = args[++i];
    return true;
}

bool IsOption(const std::string& arg, const std::string& name)
{
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
                           arg[name.size()] == '=');
}

}  // namespace

std::optional<uint64_t> ParsePlainNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return value;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    ParsedCommandLine parsed;
    CliOptions& o = parsed.options;
    std::string& error = parsed.usageError;
    bool help = false;
    bool version = false;
    bool onlyOperands = false;
    std::vector<std::string> words;
    std::vector<std::string> convertOnly;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyOperands || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            continue;
        }
        std::string value;
        if (arg == "--") {
            onlyOperands = true;
        } else if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "-q" || arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "--progress") {
            o.progressLines = true;
        } else if (arg == "--skip-existing") {
            o.skipExisting = true;
            convertOnly.push_back(arg);
        } else if (IsOption(arg, "--start") || IsOption(arg, "--end")) {
            const std::string name = IsOption(arg, "--start") ? "--start" : "--end";
            if (!TakeValue(args, i, name, value, error))
                continue;
            const std::optional<uint64_t> number = ParsePlainNumber(value);
            if (!number) {
                if (error.empty())
                    error = "'" + value + "' after " + name + " is not a frame number (digits 0-9)";
                continue;
            }
            (name == "--start" ? o.start : o.end) = number;
            convertOnly.push_back(name);
        } else if (error.empty()) {
            error = "unknown option '" + arg + "'";
        }
    }

    if (help) {
        parsed = {};
        parsed.options.command = CliCommand::kHelp;
        return parsed;
    }
    if (version) {
        parsed = {};
        parsed.options.command = CliCommand::kVersion;
        return parsed;
    }
    if (!error.empty())
        return parsed;
    if (words.empty()) {
        error = "no command given (info, convert or frame)";
        return parsed;
    }
    const CommandWord* found = nullptr;
    for (const CommandWord& c : kCommands)
        if (words[0] == c.word)
            found = &c;
    if (!found) {
        error = "unknown command '" + words[0] + "' (info, convert or frame)";
        return parsed;
    }
    o.command = found->command;
    o.operands.assign(words.begin() + 1, words.end());
    if (o.operands.size() != found->operands) {
        static const char* const kForms[] = {"info FILE", "convert FILE OUTDIR [--start N] [--end M]",
                                             "frame FILE N OUT.tif"};
        error = std::string(o.operands.size() < found->operands ? "too few" : "too many") +
                " arguments for " + found->word + " (" +
                kForms[static_cast<int>(found->command) - static_cast<int>(CliCommand::kInfo)] + ")";
        return parsed;
    }
    if (o.command != CliCommand::kConvert && !convertOnly.empty()) {
        error = "option '" + convertOnly.front() + "' belongs to convert only";
        return parsed;
    }
    if (o.command == CliCommand::kFrame && !ParsePlainNumber(o.operands[1]))
        error = "'" + o.operands[1] + "' is not a frame number (digits 0-9)";
    return parsed;
}

std::string VersionText()
{
    return std::string("stillcutter-cli ") + STILLCUTTER_VERSION + "\n";
}

std::string HelpText()
{
    return R"(Usage: stillcutter-cli [OPTIONS] COMMAND ARGUMENTS

Turns the first video stream of an AVI file into uncompressed 24-bit RGB TIFF stills,
the same files under the same names as the Stillcutter dialog program writes.

Commands:
  info FILE                 print the stream's properties as "key: value" lines:
                            width, height, frames (the number of frames), last_frame,
                            fps (rate / scale, as "%g"), rate, scale, and duration,
                            shown as the dialog shows it: HH:MM:SS of the whole seconds
                            of the stream plus one (250 frames at 25 fps: 00:00:11)
  convert FILE OUTDIR       write frames as OUTDIR/HH,MM,SS,FF.tif, named by their
                            timecode (FF: the frame within its second); OUTDIR must
                            exist and is used as given. Files of the same names are
                            replaced; other files are left alone.
  frame FILE N OUT.tif      write frame N (counted from 0) as OUT.tif

Options:
  --start N                 (convert) first frame, default 0
  --end M                   (convert) last frame, inclusive, default the last frame;
                            an end past the last frame is taken as the last frame
  --skip-existing           (convert) keep files that are already there and complete
                            (of the right size), so that a cut-short run can resume
  --progress                print progress as plain lines (for logs); on a terminal
                            one line is updated in place without this option
  -q, --quiet               print nothing but errors
  -h, --help                show this help and exit
      --version             show the version and exit

Frame numbers are plain decimal numbers (digits only).

Exit status:
  0    everything asked for was written
  1    the file cannot be opened or decoded, it has no video stream, the range holds
       no frame, the frame rate cannot name frames or (frame) is below 1 frame a
       second, N is not a frame of the stream, the output folder is missing or too
       full, or a file cannot be written (the run stops there and leaves no partial
       file)
  2    usage error (unknown option, a number that is not a plain decimal)
  130  interrupted (Ctrl-C): the frame in hand was finished, no partial file is left
)";
}
