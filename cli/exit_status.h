// Exit statuses of stillcutter-cli and the one-line error message on standard error.
#pragma once

#include <string>

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;     // nothing could be done, or a file was not written
inline constexpr int kExitUsage = 2;       // the command line itself is wrong
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT: stopped after the frame in hand

// Prints "stillcutter-cli: <message>" as one line on standard error; returns `status`.
int Fail(int status, const std::string& message);
