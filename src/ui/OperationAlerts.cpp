#include "ui/OperationAlerts.h"

#include "core/ByteCount.h"

#include "ui/ProgressFigures.h"

namespace OperationAlerts {

namespace {

constexpr int reportedFailures = 8;
constexpr int namedTrashEntries = 5;

QString sizeText(const FileUrl& url)
{
    const std::optional<qint64> size = ProgressFigures::fileSize(url);
    return size ? ByteCount::text(*size) : QStringLiteral("—");
}

} // namespace

QString listedLines(const QStringList& lines, qsizetype shown)
{
    QStringList listed = lines.mid(0, shown);
    if (lines.size() > shown)
        listed.append(QStringLiteral("…"));
    return listed.join(u'\n');
}

AlertRequest confirmation(Kind kind, qsizetype count, const QString& sourceDescription, const FileUrl& destination)
{
    const bool moving = kind == Kind::move;
    AlertRequest request;
    request.message = QString::number(count)
        + (moving ? QStringLiteral(" Objekt(e) verschieben?") : QStringLiteral(" Objekt(e) kopieren?"));
    request.informativeText = QStringLiteral("Quelle: ") + sourceDescription + QStringLiteral("\nZiel: ")
        + destination.path() + QStringLiteral("\n\nBei vorhandenen Namen wird einzeln nachgefragt.");
    request.buttons = {moving ? QStringLiteral("Verschieben") : QStringLiteral("Kopieren"), QStringLiteral("Abbrechen")};
    return request;
}

AlertRequest conflict(const FileUrl& source, const FileUrl& target)
{
    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QStringLiteral("Ziel existiert bereits");
    request.informativeText = QStringLiteral("Quelle: %1 (%2)\nZiel: %3 (%4)")
                                  .arg(source.fileName(), sizeText(source), target.path(), sizeText(target));
    request.accessory.size = QSize(350, 58);
    request.accessory.spacing = 7;
    request.accessory.controls = {
        AccessoryControl::popUp({QStringLiteral("Ersetzen"), QStringLiteral("Nur ersetzen, wenn Quelle neuer ist"),
                                 QStringLiteral("Nur bei unterschiedlicher Größe ersetzen"),
                                 QStringLiteral("Überspringen"), QStringLiteral("Beide behalten")},
                                0, QSize(340, 26)),
        AccessoryControl::checkBox(QStringLiteral("Für alle weiteren Konflikte anwenden"), false, QSize(340, 22)),
    };
    request.buttons = {QStringLiteral("Anwenden"), QStringLiteral("Abbrechen")};
    return request;
}

FileOperationQueue::ConflictDecision conflictDecision(const AlertResponse& response)
{
    using Action = FileOperationQueue::ConflictAction;
    if (response.buttonIndex != 0)
        return {Action::cancel, false};
    const int index = std::clamp(response.selectedIndex(), 0, int(Action::keepBoth));
    return {Action(index), response.isChecked()};
}

AlertRequest failureReport(const QList<FileOperationQueue::Failure>& failures)
{
    QStringList lines;
    // One more than is shown, so that "…" follows when there are more.
    for (const FileOperationQueue::Failure& failure : failures.mid(0, reportedFailures + 1))
        lines.append(failure.source.fileName() + QStringLiteral(": ") + failure.message);

    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QString::number(failures.size()) + QStringLiteral(" Vorgang/Vorgänge fehlgeschlagen");
    request.informativeText = listedLines(lines, reportedFailures);
    request.buttons = {QStringLiteral("Erneut versuchen"), QStringLiteral("Schließen")};
    return request;
}

AlertRequest trashQuestion(const QList<FileUrl>& urls)
{
    QStringList names;
    for (const FileUrl& url : urls.mid(0, namedTrashEntries + 1))
        names.append(url.fileName());

    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QString::number(urls.size()) + QStringLiteral(" Objekt(e) in den Papierkorb?");
    request.informativeText = listedLines(names, namedTrashEntries);
    request.buttons = {QStringLiteral("In den Papierkorb"), QStringLiteral("Abbrechen")};
    return request;
}

} // namespace OperationAlerts
