#include "preferences/SettingsFile.h"

QSettings& brenvikSettings()
{
    static QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Brenvik"),
                              QStringLiteral("Brenvik"));
    return settings;
}
