#pragma once

#include <QList>
#include <QString>

// The one wildcard syntax of the program: pieces separated by ";" or ",", each
// trimmed, "*" for any run of characters, "?" for exactly one, everything else
// literal; matched against the whole name, ignoring case. Parse once, match many.
class MaskList {
public:
    explicit MaskList(const QString& masks);

    bool matches(const QString& name) const;
    bool isEmpty() const { return m_pieces.isEmpty(); }

private:
    QList<QList<uint>> m_pieces; // case-folded code points
};
