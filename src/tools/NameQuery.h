#pragma once

#include "core/MaskList.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The name criterion of a search: empty matches every name; with "*" or "?" it
// is a list of wildcard masks; otherwise a substring, ignoring case. Names are
// given as the bytes the kernel lists; pure ASCII names on an ASCII query are
// compared without decoding them.
class NameQuery {
public:
    explicit NameQuery(const QString& query);

    bool matches(const char* name, std::size_t length) const;

private:
    QString m_text;
    std::optional<MaskList> m_masks;
    QByteArray m_asciiLower; // the query, when it is ASCII
};
