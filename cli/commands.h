// The three commands of stillcutter-cli; each returns the process's exit status.
#pragma once

#include "cli_options.h"

int RunInfo(const CliOptions& options);
int RunConvert(const CliOptions& options);
int RunFrame(const CliOptions& options);
