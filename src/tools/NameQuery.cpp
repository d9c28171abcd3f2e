#include "tools/NameQuery.h"

#include <cstring>

namespace {

bool isAscii(const char* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool containsAsciiIgnoringCase(const char* name, std::size_t length, const QByteArray& lowerNeedle)
{
    const std::size_t needleLength = std::size_t(lowerNeedle.size());
    if (needleLength > length)
        return false;
    for (std::size_t i = 0; i + needleLength <= length; ++i) {
        std::size_t k = 0;
        while (k < needleLength && asciiLower(name[i + k]) == lowerNeedle[qsizetype(k)])
            ++k;
        if (k == needleLength)
            return true;
    }
    return false;
}

} // namespace

NameQuery::NameQuery(const QString& query) : m_text(query)
{
    if (query.contains(u'*') || query.contains(u'?'))
        m_masks.emplace(query);
    else if (const QByteArray bytes = query.toUtf8(); isAscii(bytes.constData(), std::size_t(bytes.size())))
        m_asciiLower = bytes.toLower();
}

bool NameQuery::matches(const char* name, std::size_t length) const
{
    if (m_text.isEmpty())
        return true;
    if (!m_masks && !m_asciiLower.isEmpty() && isAscii(name, length))
        return containsAsciiIgnoringCase(name, length, m_asciiLower);
    const QString text = QString::fromUtf8(name, qsizetype(length));
    return m_masks ? m_masks->matches(text) : text.contains(m_text, Qt::CaseInsensitive);
}
