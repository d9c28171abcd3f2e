#include "tools/RenamePlan.h"

#include "core/NaturalOrder.h"

#include <QSet>
#include <algorithm>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace RenamePlan {

QList<FileUrl> sortedSources(QList<FileUrl> sources)
{
    std::vector<std::pair<QString, FileUrl>> keyed;
    keyed.reserve(std::size_t(sources.size()));
    for (FileUrl& url : sources) {
        const QByteArray name = url.nativeFileName();
        keyed.emplace_back(NaturalOrder::sortKeyFromUtf8(name.constData(), name.size()), std::move(url));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<FileUrl> sorted;
    for (auto& [key, url] : keyed)
        sorted.append(std::move(url));
    return sorted;
}

QByteArray transformedName(const FileUrl& source, const RenameFields& fields)
{
    if (!source.hasExactText())
        return source.nativeFileName();
    const QString name = source.fileName();
    const QString extension = source.pathExtension();
    QString base = extension.isEmpty() ? name : name.left(name.size() - extension.size() - 1);
    if (!fields.find.isEmpty())
        base.replace(fields.find, fields.replace, Qt::CaseInsensitive);
    QString result = fields.prefix + base + fields.suffix;
    if (!extension.isEmpty())
        result += u'.' + extension;
    return result.toUtf8();
}

QList<RenamePlanItem> build(const QList<FileUrl>& sources, const RenameFields& fields)
{
    QList<RenamePlanItem> plan;
    for (const FileUrl& source : sources)
        plan.append({source, source.parent().appending(transformedName(source, fields))});
    return plan;
}

Check check(const QList<RenamePlanItem>& plan)
{
    for (const RenamePlanItem& item : plan) {
        const QByteArray name = item.destination.nativeFileName();
        // The kernel would cut a name at a NUL byte, and "/" would leave the folder.
        if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\0')
            || item.destination.parent() != item.source.parent())
            return {false, 0, QStringLiteral("Ungültiger Zielname")};
    }
    QSet<QByteArray> names;
    QSet<FileUrl> sources;
    for (const RenamePlanItem& item : plan) {
        const QByteArray name = item.destination.nativeFileName();
        if (names.contains(name))
            return {false, 0, QStringLiteral("Doppelte Zielnamen")};
        names.insert(name);
        sources.insert(item.source);
    }
    qsizetype changes = 0;
    for (const RenamePlanItem& item : plan) {
        struct stat st;
        if (lstat(item.destination.nativePath().constData(), &st) == 0 && !sources.contains(item.destination))
            return {false, 0, QStringLiteral("Ein Zielname existiert bereits")};
        if (item.destination != item.source)
            ++changes;
    }
    return {true, changes, QString::number(changes) + QStringLiteral(" Änderung(en)")};
}

} // namespace RenamePlan
