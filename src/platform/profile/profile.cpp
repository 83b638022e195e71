// In progress: replaced by the real implementation.
#include "platform/profile/profile.h"
namespace platform {
void SetRegistryKey(const QString&) {}
int GetProfileInt(const QString&, const QString&, int d) { return d; }
bool WriteProfileInt(const QString&, const QString&, int) { return false; }
}  // namespace platform
