#include "ui/DesktopOpen.h"

#include "platform/DefaultApplication.h"
#include "ui/Interaction.h"

#include <QDesktopServices>
#include <QFuture>
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
    QtConcurrent::run([native = file.nativePath()] { return DefaultApplication::existsFor(native); })
        .then(context, [&interaction, path = *path](bool exists) {
            if (!exists || !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
                showNoApplication(interaction, path);
        });
}
