#pragma once

#include "core/FileUrl.h"

#include <QList>
#include <QString>

struct RenamePlanItem {
    FileUrl source;
    FileUrl destination; // in the source's folder
    friend bool operator==(const RenamePlanItem&, const RenamePlanItem&) = default;
};

// What the user typed for a multi-rename.
struct RenameFields {
    QString find;    // literal, case ignored, searched in the base name only
    QString replace;
    QString prefix;
    QString suffix;  // before the extension
};

// Building and checking a multi-rename plan before anything on disk changes.
namespace RenamePlan {

// The entries in the order a file browser lists names.
QList<FileUrl> sortedSources(QList<FileUrl> sources);

// The new name: prefix + base (with replacements) + suffix + "." + extension.
// A name that is no valid text keeps its bytes: editing its display form would
// rename it to something else than the user sees.
QByteArray transformedName(const FileUrl& source, const RenameFields& fields);

QList<RenamePlanItem> build(const QList<FileUrl>& sources, const RenameFields& fields);

struct Check {
    bool valid = false;
    qsizetype changes = 0;
    QString status; // the German status line
};

// The first failing rule wins: an invalid name, duplicate names, a name taken
// by an entry that is not itself renamed; else the number of changes.
Check check(const QList<RenamePlanItem>& plan);

} // namespace RenamePlan
