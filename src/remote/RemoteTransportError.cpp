#include "remote/RemoteTransportError.h"

namespace {

// Control characters would break the alert's text (a line feed) or hide part of
// the name (a NUL): they show as U+FFFD.
QString printable(const QString& name)
{
    QString text = name;
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    return text;
}

} // namespace

RemoteTransportError::RemoteTransportError(Kind kind, const QString& description)
    : BrenvikError(QStringLiteral("RemoteTransportError"), description), m_kind(kind)
{
}

RemoteTransportError RemoteTransportError::commandFailed(const QString& message)
{
    return {Kind::commandFailed, QStringLiteral("Remote-Vorgang fehlgeschlagen: ") + message};
}

RemoteTransportError RemoteTransportError::invalidName()
{
    return {Kind::invalidName, QStringLiteral("Der Remote-Name ist nicht zulässig.")};
}

RemoteTransportError RemoteTransportError::unsafeEntryName(const QString& name)
{
    return {Kind::unsafeEntryName,
            QStringLiteral("Der Server meldet den unzulässigen Namen „%1“. Der Vorgang wurde abgebrochen, "
                           "damit nichts außerhalb des gewählten Ordners geändert wird.")
                .arg(printable(name))};
}
