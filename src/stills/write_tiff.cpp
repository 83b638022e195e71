// In progress: replaced by the real implementation.
#include "stills/write_tiff.h"
bool WriteTiff(const char*, uint32_t, uint32_t, const uint8_t*) { return false; }
void SetTiffWriteHook(TiffWriteHook) {}
