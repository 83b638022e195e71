// How Exit ends the process: std::exit by default. Tests put a recorder in its place.
#pragma once

#include <functional>

using ProcessExitHook = std::function<void(int status)>;

// Replaces the process exit (an empty function restores std::exit).
void SetProcessExitHook(ProcessExitHook hook);

// Ends the process with `status` (or calls the hook, which may return).
void ExitProcess(int status);
