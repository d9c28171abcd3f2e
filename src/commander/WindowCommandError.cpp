#include "commander/WindowCommandError.h"

namespace {

QString textFor(WindowCommandError::Code code)
{
    switch (code) {
    case WindowCommandError::Code::renameNameNotAllowed:
    case WindowCommandError::Code::fileNameNotAllowed:
        return QStringLiteral("Dieser Dateiname ist nicht zulässig.");
    case WindowCommandError::Code::renameTargetExists:
        return QStringLiteral("Am Ziel existiert bereits ein Objekt mit diesem Namen.");
    case WindowCommandError::Code::fileExists:
        return QStringLiteral("Eine Datei mit diesem Namen existiert bereits.");
    }
    return {};
}

} // namespace

WindowCommandError::WindowCommandError(Code code)
    : BrenvikError(QStringLiteral("WindowCommandError"), textFor(code)), m_code(code)
{
}

bool WindowCommandError::isNameAllowed(const QString& name)
{
    const QString trimmed = name.trimmed();
    return !trimmed.isEmpty() && trimmed != QLatin1String(".") && trimmed != QLatin1String("..")
        && !trimmed.contains(QLatin1Char('/'));
}
