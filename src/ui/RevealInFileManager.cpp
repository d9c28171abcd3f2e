#include "ui/RevealInFileManager.h"

#include "ui/Interaction.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

namespace {

void openParentFolder(const FileUrl& entry, Interaction& interaction)
{
    const std::optional<QString> folder = entry.parent().exactPath();
    if (!folder || !QDesktopServices::openUrl(QUrl::fromLocalFile(*folder)))
        interaction.beep();
}

} // namespace

void revealInFileManager(const FileUrl& entry, Interaction& interaction, QObject* context)
{
    const std::optional<QString> path = entry.exactPath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!path || !bus.isConnected()) {
        openParentFolder(entry, interaction);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(*path).toString(QUrl::FullyEncoded)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, entry, &interaction] {
                         watcher->deleteLater();
                         if (watcher->isError())
                             openParentFolder(entry, interaction);
                     });
}
