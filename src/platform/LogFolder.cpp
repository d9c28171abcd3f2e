#include "platform/LogFolder.h"

#include <QDir>
#include <QtGlobal>

QString brenvikLogFolder()
{
#ifdef Q_OS_MACOS
    return QDir::homePath() + QStringLiteral("/Library/Logs/Brenvik");
#else
    // The XDG rules ignore a relative value.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith(u'/'))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Brenvik/Logs");
#endif
}
