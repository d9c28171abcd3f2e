#pragma once

#include "core/BrenvikError.h"

#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

// A file's bytes; "<fehlt>" when it cannot be read.
inline QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<fehlt>");
}

// Writes a file, making its parent folders.
inline void putFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

// Relative path ("/a/b") → contents, "<Ordner>" for folders, of everything below `root`.
inline QMap<QString, QByteArray> treeOf(const QString& root)
{
    QMap<QString, QByteArray> tree;
    for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        tree.insert(path.mid(root.size()), it.fileInfo().isDir() ? QByteArray("<Ordner>") : contentsOf(path));
    }
    return tree;
}

// Waits for a future or runs a function.
template <typename Work>
void perform(Work& work)
{
    if constexpr (requires { work.waitForFinished(); })
        work.waitForFinished();
    else
        work();
}

// The description of the error `work` ends with; "<kein Fehler>" when it succeeds.
template <typename Work>
QString failureOf(Work work)
{
    try {
        perform(work);
    } catch (const BrenvikError& error) {
        return error.description();
    }
    return QStringLiteral("<kein Fehler>");
}

// The kind of the `Error` that `work` must end with.
template <typename Error, typename Work>
auto failureKind(Work work)
{
    try {
        perform(work);
    } catch (const Error& error) {
        return error.kind();
    }
    ADD_FAILURE() << "kein Fehler der erwarteten Art";
    return decltype(std::declval<Error>().kind()){};
}

// A file of /proc/PID; empty when the process is gone.
inline QByteArray procFile(pid_t pid, const char* name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
