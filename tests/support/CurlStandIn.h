#pragma once

#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QList>

// A recording stand-in for curl: an executable that keeps the arguments of
// every call and answers as told. With "--output FILE" among its arguments it
// writes its answer to FILE (and creates it even when the call then fails, as
// a broken transfer would).
class CurlStandIn {
public:
    struct Call {
        QList<QByteArray> arguments; // without the program itself
    };

    CurlStandIn();

    QByteArray path() const { return m_folder.file("curl").nativePath(); }
    // How call number `call` (from 1) answers; unset calls print nothing and exit 0.
    void answer(int call, const QByteArray& output, const QByteArray& error = {}, int status = 0) const;
    // Call number `call` waits this long before it answers.
    void delay(int call, double seconds) const;
    // The calls that have started so far.
    QList<Call> calls() const;

private:
    TempFolder m_folder;
};
