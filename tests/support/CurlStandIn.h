#pragma once

#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QList>

// A recording stand-in for curl: an executable that keeps the arguments,
// standard input and environment of every call, and answers as told. With
// "--output FILE" among its arguments it writes its answer to FILE (and
// creates it even when the call then fails, as a broken transfer would).
class CurlStandIn {
public:
    struct Call {
        QList<QByteArray> arguments; // without the program itself
        QByteArray input;
        QList<QByteArray> environment;
    };

    CurlStandIn();

    QByteArray path() const;
    // How call number `call` (from 1) answers; unset calls print nothing and exit 0.
    void answer(int call, const QByteArray& output, const QByteArray& error = {}, int status = 0) const;
    // Call number `call` waits this long before it answers.
    void delay(int call, double seconds) const;
    QList<Call> calls() const;

private:
    TempFolder m_folder;
};
