// The program's per-user setting store: QSettings in its native format under the company
// "Orvanne" and the application name (the registry on Windows,
// $XDG_CONFIG_HOME/Orvanne/<application name>.conf here).
#pragma once

#include <QString>

namespace platform {

inline constexpr const char* kCompanyKey = "Orvanne";

// SetRegistryKey: from here on the profile calls go to the store of this company.
void SetRegistryKey(const QString& company);

// The stored value of section/entry, or `defaultValue` when it is missing or unreadable.
int GetProfileInt(const QString& section, const QString& entry, int defaultValue);

// Stores the value; returns false when it could not be written.
bool WriteProfileInt(const QString& section, const QString& entry, int value);

}  // namespace platform
