// In progress: replaced by the real implementation.
#include "convert/conversion_thread.h"
unsigned ConversionThreadProc(void*) { return 0; }
