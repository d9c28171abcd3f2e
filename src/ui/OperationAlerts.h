#pragma once

#include "operations/FileOperationQueue.h"
#include "ui/Interaction.h"

// The questions and reports of the bulk operations, as alert requests.
namespace OperationAlerts {

using Kind = FileOperationQueue::Kind;

// The first `shown` lines, one per line, and "…" on a line of its own when there are more.
QString listedLines(const QStringList& lines, qsizetype shown);

// "3 Objekt(e) kopieren?" with source and destination; "Kopieren" or "Verschieben" first.
AlertRequest confirmation(Kind kind, qsizetype count, const QString& sourceDescription, const FileUrl& destination);

// "Ziel existiert bereits" with both names and sizes, the five choices and
// "Für alle weiteren Konflikte anwenden".
AlertRequest conflict(const FileUrl& source, const FileUrl& target);
// "Anwenden" gives the chosen action (an index beyond the list counts as the
// last choice) and the check box; every other way out cancels.
FileOperationQueue::ConflictDecision conflictDecision(const AlertResponse& response);

// "k Vorgang/Vorgänge fehlgeschlagen": the first 8 failures, then "…";
// "Erneut versuchen" first.
AlertRequest failureReport(const QList<FileOperationQueue::Failure>& failures);

// "n Objekt(e) in den Papierkorb?" with the first 5 names, then "…".
AlertRequest trashQuestion(const QList<FileUrl>& urls);

} // namespace OperationAlerts
