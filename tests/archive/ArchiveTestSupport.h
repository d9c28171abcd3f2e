#pragma once

#include "archive/ArchiveError.h"
#include "core/FileUrl.h"
#include "platform/LocalFileTestSupport.h"

#include <QFuture>
#include <gtest/gtest.h>

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

// Everything below `root` without times: unpacking sets times of its own.
inline QMap<QByteArray, QByteArray> treeOf(const FileUrl& root)
{
    return LocalFileTest::snapshot(root, false);
}
