// Beep(frequency, milliseconds): a sine tone on the default sound output, returning once it has
// played. Silent, with no error, where the machine has no sound device. No Qt.
#pragma once

#include <functional>

namespace platform {

void Beep(unsigned frequency, unsigned milliseconds);

// A test installs a sink to record the calls instead of playing them; an empty function
// restores the sound output.
using BeepSink = std::function<void(unsigned frequency, unsigned milliseconds)>;
void SetBeepSink(BeepSink sink);

}  // namespace platform
