#pragma once

#include <QString>
#include <QStringList>

// Splits tool output into lines at every line break a tool may use (LF, CR, CR LF,
// VT, FF, U+0085, U+2028, U+2029) and drops empty lines. Lines are not trimmed.
QStringList splitNonEmptyLines(const QString& text);
