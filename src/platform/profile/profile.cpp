// The per-user setting store over QSettings in its native format. Reading creates nothing: the
// file and its group appear with the first value written.
#include "platform/profile/profile.h"

#include <QSettings>

#include "platform/prompts/prompts.h"

namespace platform {

namespace {

QString& Company()
{
    static QString company = QString::fromLatin1(kCompanyKey);
    return company;
}

QString Key(const QString& section, const QString& entry) { return section + '/' + entry; }

}  // namespace

void SetRegistryKey(const QString& company) { Company() = company; }

int GetProfileInt(const QString& section, const QString& entry, int defaultValue)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, Company(), ApplicationName());
    if (settings.status() != QSettings::NoError)
        return defaultValue;  // unreadable or damaged: as if nothing were stored
    bool ok = false;
    const int value = settings.value(Key(section, entry)).toInt(&ok);
    return ok ? value : defaultValue;
}

bool WriteProfileInt(const QString& section, const QString& entry, int value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, Company(), ApplicationName());
    settings.setValue(Key(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace platform
