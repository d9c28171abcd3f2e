#include "core/MaskList.h"

namespace {

QList<uint> foldedCodePoints(const QString& text)
{
    return text.toCaseFolded().toUcs4();
}

// Greedy wildcard match with single-star backtracking: linear in practice and
// never exponential, unlike a naive recursive matcher.
bool wildcardMatch(const QList<uint>& pattern, const QList<uint>& name)
{
    qsizetype p = 0, n = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == uint(u'?') || (pattern[p] != uint(u'*') && pattern[p] == name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == uint(u'*')) {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == uint(u'*'))
        ++p;
    return p == pattern.size();
}

} // namespace

MaskList::MaskList(const QString& masks)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= masks.size(); ++i) {
        if (i < masks.size() && masks[i] != u';' && masks[i] != u',')
            continue;
        const QString piece = masks.mid(start, i - start).trimmed();
        if (!piece.isEmpty())
            m_pieces.append(foldedCodePoints(piece));
        start = i + 1;
    }
}

bool MaskList::matches(const QString& name) const
{
    if (m_pieces.isEmpty())
        return false;
    const QList<uint> folded = foldedCodePoints(name);
    for (const auto& piece : m_pieces)
        if (wildcardMatch(piece, folded))
            return true;
    return false;
}
