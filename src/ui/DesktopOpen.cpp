#include "ui/DesktopOpen.h"

#include "platform/DefaultApplication.h"
#include "ui/Interaction.h"

#include <QDesktopServices>
#include <QFutureWatcher>
#include <QUrl>
#include <QtConcurrent>

namespace {

void showNoApplication(Interaction& interaction, const QString& path)
{
    interaction.showError(QStringLiteral("Keine Anwendung zum Öffnen gefunden"),
                          QStringLiteral("Für „%1“ ist keine Standardanwendung eingerichtet.")
                              .arg(path.section(QLatin1Char('/'), -1)));
}

} // namespace

void openWithDefaultApplication(const FileUrl& file, Interaction& interaction, QObject* context)
{
    const std::optional<QString> path = file.exactPath();
    if (!path) {
        interaction.beep();
        return;
    }
    // A watcher owned by `context` rather than a continuation on it: Qt 6.4
    // asserts when a continuation's context dies before the future ends.
    auto* watcher = new QFutureWatcher<bool>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, &interaction, path = *path] {
        watcher->deleteLater();
        if (!watcher->result() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
            showNoApplication(interaction, path);
    });
    watcher->setFuture(
        QtConcurrent::run([native = file.nativePath()] { return DefaultApplication::existsFor(native); }));
}
