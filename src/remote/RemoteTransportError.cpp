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

RemoteTransportError RemoteTransportError::fileFailed(const QString& path, const QString& message)
{
    return {Kind::commandFailed,
            QStringLiteral("Remote-Vorgang fehlgeschlagen bei „%1“: %2").arg(printable(path), message)};
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

RemoteTransportError RemoteTransportError::untypedListing(const QString& folder)
{
    return {Kind::untypedListing,
            QStringLiteral("Der Server nennt in „%1“ nur Namen, ohne Ordner und Verknüpfungen zu unterscheiden. "
                           "Der Ordner wird deshalb nicht als Ganzes bearbeitet.")
                .arg(printable(folder))};
}

RemoteTransportError RemoteTransportError::tooDeep(const QString& folder)
{
    return {Kind::tooDeep, QStringLiteral("„%1“ liegt tiefer als 256 Ordnerebenen. Der Vorgang wurde abgebrochen.")
                               .arg(printable(folder))};
}

RemoteTransportError RemoteTransportError::listingTooLarge(const QString& folder)
{
    return {Kind::listingTooLarge,
            QStringLiteral("Die Auflistung von „%1“ ist zu groß (mehr als 64 MiB oder 1.000.000 Einträge).")
                .arg(printable(folder))};
}

RemoteTransportError RemoteTransportError::unreadableNames(const QString& folder)
{
    return {Kind::unreadableNames,
            QStringLiteral("„%1“ enthält Namen mit Steuerzeichen, Zeilenumbrüchen oder ungültigen Zeichen, die "
                           "nicht sicher gelesen werden können. Der Ordner wird deshalb nicht als Ganzes bearbeitet.")
                .arg(printable(folder))};
}

RemoteTransportError RemoteTransportError::linksLeftOut(const QStringList& paths)
{
    constexpr qsizetype named = 10;
    QStringList lines;
    for (const QString& path : paths.first(std::min(named, paths.size())))
        lines.append(printable(path));
    if (paths.size() > named)
        lines.append(QStringLiteral("…"));
    return {Kind::linksLeftOut,
            QStringLiteral("Verknüpfungen wurden ausgelassen, alles andere wurde übertragen:\n") + lines.join(u'\n')};
}

RemoteTransportError RemoteTransportError::unusableName(const QByteArray& name)
{
    return {Kind::unusableName,
            QStringLiteral("Der Name „%1“ ist kein gültiger UTF-8-Text oder enthält einen Zeilenumbruch und kann "
                           "nicht unverändert auf den Server übertragen werden.")
                .arg(printable(QString::fromUtf8(name)))};
}
