#pragma once

#include "core/BrenvikError.h"

#include <QByteArray>

// Refusals and half-done outcomes of the local file layer that are no single
// failed system call. The description names the entry concerned.
class LocalFileError : public BrenvikError {
public:
    enum class Reason {
        folderCopiedIntoItself,
        folderMovedIntoItself,
        sameEntry, // the source is the target, or lies inside the folder it would replace
        noTrashOnVolume,
        sourceNotRemoved,   // a move across volumes copied everything, the source stays in part
        sourceChanged,      // a move across volumes left what appeared or changed in the source meanwhile
        oldTargetNotRemoved // a replace put the new entry in place, remains of the old one stay
    };

    // `detail` is the message of the underlying failure, where there is one.
    LocalFileError(Reason reason, QByteArray nativePath, const QString& detail = {});

    Reason reason() const noexcept { return m_reason; }
    const QByteArray& nativePath() const noexcept { return m_nativePath; }

private:
    Reason m_reason;
    QByteArray m_nativePath;
};
