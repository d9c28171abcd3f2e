#include "ui/OperationAlerts.h"

#include "core/ByteCount.h"

#include "ui/ProgressFigures.h"

namespace OperationAlerts {

namespace {

constexpr int reportedFailures = 8;
constexpr int namedTrashEntries = 5;
const QString ellipsis = QStringLiteral("…");

QString sizeText(const FileUrl& url)
{
    const std::optional<qint64> size = ProgressFigures::fileSize(url);
    return size ? ByteCount::text(*size) : QStringLiteral("—");
}

} // namespace

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
    for (qsizetype i = 0; i < failures.size() && i < reportedFailures; ++i)
        lines.append(failures.at(i).source.fileName() + QStringLiteral(": ") + failures.at(i).message);
    if (failures.size() > reportedFailures)
        lines.append(ellipsis);

    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QString::number(failures.size()) + QStringLiteral(" Vorgang/Vorgänge fehlgeschlagen");
    request.informativeText = lines.join(QLatin1Char('\n'));
    request.buttons = {QStringLiteral("Erneut versuchen"), QStringLiteral("Schließen")};
    return request;
}

AlertRequest trashQuestion(const QList<FileUrl>& urls)
{
    QStringList lines;
    for (qsizetype i = 0; i < urls.size() && i < namedTrashEntries; ++i)
        lines.append(urls.at(i).fileName());
    if (urls.size() > namedTrashEntries)
        lines.append(ellipsis);

    AlertRequest request;
    request.style = AlertStyle::warning;
    request.message = QString::number(urls.size()) + QStringLiteral(" Objekt(e) in den Papierkorb?");
    request.informativeText = lines.join(QLatin1Char('\n'));
    request.buttons = {QStringLiteral("In den Papierkorb"), QStringLiteral("Abbrechen")};
    return request;
}

} // namespace OperationAlerts
