// In progress: replaced by the real implementation.
#include "convert/frame_range.h"
uint32_t ParseFrameNumber(std::string_view) { return 0; }
int ProgressPosition(uint32_t, uint32_t) { return 0; }
bool ClampEndFrame(uint32_t&, uint32_t) { return false; }
