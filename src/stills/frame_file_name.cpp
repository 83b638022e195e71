// In progress: replaced by the real implementation.
#include "stills/frame_file_name.h"
bool IsNamingRate(double) { return false; }
std::string MakeFrameFileName(const std::string& d, uint32_t, double) { return d; }
