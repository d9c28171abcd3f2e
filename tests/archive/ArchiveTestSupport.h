#pragma once

#include "archive/ArchiveError.h"
#include "core/FileUrl.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFuture>
#include <QMap>
#include <gtest/gtest.h>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// Everything below `root` as "relative path → what it is": type, permission
// bits, owner, and the link target or a hash of the contents. Links are never
// followed; names are the exact bytes.
inline void describeTree(const QByteArray& root, const QByteArray& relative, QMap<QByteArray, QByteArray>& into)
{
    DIR* folder = opendir((root + relative).constData());
    if (!folder)
        return;
    while (const dirent* entry = readdir(folder)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = relative + '/' + name;
        struct stat st;
        if (lstat((root + path).constData(), &st) != 0)
            continue;
        QByteArray what = QByteArray::number(st.st_mode, 8) + ' ' + QByteArray::number(st.st_uid);
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t length = readlink((root + path).constData(), target, sizeof target);
            what += " -> " + QByteArray(target, int(std::max<ssize_t>(length, 0)));
        } else if (S_ISREG(st.st_mode)) {
            QFile file;
            const int fd = ::open((root + path).constData(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0 && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
                what += ' ' + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        }
        into.insert(path, what);
        if (S_ISDIR(st.st_mode))
            describeTree(root, path, into);
    }
    closedir(folder);
}

inline QMap<QByteArray, QByteArray> treeOf(const FileUrl& root)
{
    QMap<QByteArray, QByteArray> tree;
    describeTree(root.nativePath(), {}, tree);
    return tree;
}

// How a job ended: its result, or the archive error's case; a job that ended
// otherwise fails the test.
struct JobEnd {
    std::optional<FileUrl> result;
    std::optional<ArchiveError::Case> error;
    QString description;
};

inline JobEnd awaitJob(QFuture<FileUrl> job)
{
    JobEnd end;
    try {
        end.result = job.result();
    } catch (const ArchiveError& error) {
        end.error = error.errorCase();
        end.description = error.description();
    } catch (const BrenvikError& error) {
        ADD_FAILURE() << error.typeName().toStdString() << ": " << error.description().toStdString();
    }
    return end;
}
