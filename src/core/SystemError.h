#pragma once

#include "core/BrenvikError.h"

#include <QByteArray>

// A failed system call: carries errno, the path it concerned (exact bytes) and the
// system's message in German where we know it, the C library's text otherwise.
class SystemError : public BrenvikError {
public:
    SystemError(int code, QByteArray nativePath);

    int code() const noexcept { return m_code; }
    const QByteArray& nativePath() const noexcept { return m_nativePath; }

    // The message for an errno value, without a path.
    static QString messageFor(int code);

private:
    int m_code;
    QByteArray m_nativePath;
};
