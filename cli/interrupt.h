// Ctrl-C and termination requests: the conversion finishes the frame in hand and stops.
#pragma once

// Installs the handlers for SIGINT and SIGTERM (and ignores SIGXFSZ, so that a file-size
// limit surfaces as a failed write, not as the end of the process).
void InstallInterruptHandlers();

// The signal that asked the run to stop, or 0.
int InterruptSignal();
