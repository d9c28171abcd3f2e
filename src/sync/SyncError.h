#pragma once

#include "core/BrenvikError.h"

#include <QByteArray>

// Refusals of the synchronisation that are no single failed system call. The
// description names the entry concerned.
class SyncError : public BrenvikError {
public:
    enum class Reason {
        destinationChanged, // the destination is no longer what the plan saw; it stays as it is
        sourceChanged,      // the source changed while it was copied
        unsupportedKind,    // neither file, folder nor link (FIFO, socket, device)
        tooDeep             // folders nested deeper than the planner walks
    };

    SyncError(Reason reason, const QByteArray& nativePath);

    Reason reason() const noexcept { return m_reason; }

private:
    Reason m_reason;
};
