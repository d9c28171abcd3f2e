#pragma once

#include <QString>
#include <QStringView>

// The order a file browser shows names in: case-insensitive, digit runs compared
// by value (file2 before file10), accented letters next to their base letters
// (Apfel, Äpfel, Birne). Computed once per name as a key that compares with a
// plain code-unit comparison, so that sorting 100,000 names stays cheap.
namespace NaturalOrder {

QString sortKey(QStringView name);
// The same key straight from UTF-8 bytes (invalid sequences read as U+FFFD).
QString sortKeyFromUtf8(const char* bytes, qsizetype length);

// Three-way comparison of two names by their keys: -1, 0 or 1.
int compare(QStringView a, QStringView b);

} // namespace NaturalOrder
