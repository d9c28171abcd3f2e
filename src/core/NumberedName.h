#pragma once

#include <QByteArray>

// The name the n-th entry of one name gets: the name itself for n = 1, else
// "base n.ext" ('Bericht 2.pdf', 'Fotos 2', 'archiv.tar 2.gz'). A result longer
// than `maximumBytes` gets its base shortened at a UTF-8 character boundary, so
// the number and the extension survive; an extension that leaves no room for a
// base counts as part of the base.
QByteArray numberedName(const QByteArray& name, quint64 n, qsizetype maximumBytes);
