#include "tools/ContentMatcher.h"

#include "core/SystemError.h"

#include <QChar>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

char32_t lowerOf(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toLower(c);
}

// Every character that lower-cases to a given one, for the characters that
// have such others (the lower-case one itself is not listed). Built once.
const QHash<char32_t, std::vector<char32_t>>& upperVariants()
{
    static const QHash<char32_t, std::vector<char32_t>> table = [] {
        QHash<char32_t, std::vector<char32_t>> variants;
        for (char32_t c = 0; c <= 0x10FFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const char32_t lower = QChar::toLower(c);
            if (lower != c)
                variants[lower].push_back(c);
        }
        return variants;
    }();
    return table;
}

std::vector<char32_t> variantsOf(char32_t lower)
{
    std::vector<char32_t> all{lower};
    const auto& table = upperVariants();
    if (const auto it = table.constFind(lower); it != table.cend())
        all.insert(all.end(), it->begin(), it->end());
    return all;
}

std::size_t utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

unsigned char leadByte(char32_t c)
{
    return c < 0x80 ? c : c < 0x800 ? 0xC0 | (c >> 6) : c < 0x10000 ? 0xE0 | (c >> 12) : 0xF0 | (c >> 18);
}

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the valid UTF-8 character at `p`, or 0 (overlong forms, surrogates
// and truncated sequences are invalid).
std::size_t decode(const unsigned char* p, const unsigned char* end, char32_t& c)
{
    const unsigned char b = *p;
    if (b < 0x80) {
        c = b;
        return 1;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        c = b & 0x0F;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        c = b & 0x07;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (std::size_t(end - p) < length || p[1] < low || p[1] > high)
        return 0;
    c = (c << 6) | (p[1] & 0x3F);
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(p[i]))
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    return length;
}

// How common a byte is in ordinary text; the filter anchors on rare ones.
int commonness(unsigned char b)
{
    static constexpr char byFrequency[] = "etaoinsrhldcumfpgwybvkxjqz";
    if (b == ' ')
        return 40;
    if (const char* at = std::strchr(byFrequency, b); at && b)
        return 30 - int(at - byFrequency);
    return b >= '0' && b <= '9' ? 6 : 3;
}

} // namespace

ContentMatcher::ContentMatcher(const QString& needle)
{
    for (const char32_t c : needle.toUcs4())
        m_needle.push_back(lowerOf(c));

    // Characters that match ASCII bytes only sit at fixed byte distances from
    // each other inside a run of such characters.
    std::vector<bool> asciiOnly;
    for (const char32_t c : m_needle) {
        const std::vector<char32_t> variants = variantsOf(c);
        std::size_t longest = 0;
        for (const char32_t v : variants)
            longest = std::max(longest, utf8Length(v));
        m_longestMatch += longest;
        asciiOnly.push_back(longest == 1);
    }
    long bestScore = 0;
    for (std::size_t start = 0; start < m_needle.size();) {
        if (!asciiOnly[start]) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < m_needle.size() && asciiOnly[end])
            ++end;
        for (std::size_t i = start; i < end; ++i) {
            for (std::size_t j = end - start > 1 ? i + 1 : i; j < end; ++j) {
                const long score = long(commonness(m_needle[i])) * commonness(m_needle[j]);
                if (m_filtered && score >= bestScore)
                    continue;
                const auto anchor = [&](std::size_t index) {
                    const unsigned char byte = m_needle[index];
                    return Anchor{start, index - start, byte, byte >= 'a' && byte <= 'z'};
                };
                m_filtered = true;
                bestScore = score;
                m_first = anchor(i);
                m_second = anchor(j);
            }
        }
        start = end;
    }
    if (!m_filtered && !m_needle.empty()) {
        for (const char32_t v : variantsOf(m_needle.front()))
            m_leadBytes[leadByte(v)] = true;
    }
}

ContentMatcher::~ContentMatcher() = default;

bool ContentMatcher::verifyAt(const unsigned char* data, std::size_t size, std::size_t position,
                              std::size_t index) const
{
    const unsigned char* end = data + size;
    const unsigned char* p = data + position;
    for (std::size_t i = index; i < m_needle.size(); ++i) {
        if (p == end)
            return false;
        char32_t c;
        const std::size_t length = decode(p, end, c);
        if (length == 0 || lowerOf(c) != m_needle[i])
            return false;
        p += length;
    }
    const unsigned char* q = data + position;
    for (std::size_t i = index; i-- > 0;) {
        const unsigned char* start = q;
        do {
            if (start == data)
                return false;
            --start;
        } while (isContinuation(*start) && q - start < 4);
        char32_t c;
        if (decode(start, q, c) != std::size_t(q - start) || lowerOf(c) != m_needle[i])
            return false;
        q = start;
    }
    return true;
}

bool ContentMatcher::isIn(const char* bytes, std::size_t size) const
{
    if (m_needle.empty())
        return true;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    return m_filtered ? isInByFilter(data, size) : isInByLeadBytes(data, size);
}

bool ContentMatcher::isInByFilter(const unsigned char* data, std::size_t size) const
{
    const std::size_t reach = m_second.byteOffset;
    if (size <= reach)
        return false;
    const std::size_t candidates = size - reach; // run starts with both anchors inside
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i fold1 = _mm_set1_epi8(m_first.folds ? 0x20 : 0);
    const __m128i fold2 = _mm_set1_epi8(m_second.folds ? 0x20 : 0);
    const __m128i byte1 = _mm_set1_epi8(char(m_first.byte));
    const __m128i byte2 = _mm_set1_epi8(char(m_second.byte));
    for (; i + 16 <= candidates; i += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + m_first.byteOffset)), fold1);
        const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + reach)), fold2);
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, byte1), _mm_cmpeq_epi8(b, byte2))));
        while (mask) {
            if (verifyAt(data, size, i + std::size_t(__builtin_ctz(mask)), m_first.index))
                return true;
            mask &= mask - 1;
        }
    }
#endif
    const unsigned char fold1Bit = m_first.folds ? 0x20 : 0, fold2Bit = m_second.folds ? 0x20 : 0;
    for (; i < candidates; ++i) {
        if ((data[i + m_first.byteOffset] | fold1Bit) == m_first.byte && (data[i + reach] | fold2Bit) == m_second.byte
            && verifyAt(data, size, i, m_first.index))
            return true;
    }
    return false;
}

bool ContentMatcher::isInByLeadBytes(const unsigned char* data, std::size_t size) const
{
    for (std::size_t i = 0; i < size; ++i) {
        if (m_leadBytes[data[i]] && verifyAt(data, size, i, 0))
            return true;
    }
    return false;
}

bool ContentMatcher::isInFile(int fd, const QByteArray& reportedPath, const CancellationToken& token)
{
    // A match is at most m_longestMatch bytes long: one that the end of a
    // chunk cuts off starts within the last m_longestMatch - 1 bytes, which
    // move to the front for the next round.
    const std::size_t carryLimit = m_longestMatch > 0 ? m_longestMatch - 1 : 0;
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(carryLimit + chunkSize);
    char* buffer = m_buffer.get();
    std::size_t carry = 0;
    for (;;) {
        token.throwIfCancelled();
        ssize_t count;
        do
            count = ::read(fd, buffer + carry, chunkSize);
        while (count < 0 && errno == EINTR);
        if (count < 0)
            throw SystemError(errno, reportedPath);
        if (count == 0)
            return false;
        token.throwIfCancelled();
        const std::size_t filled = carry + std::size_t(count);
        if (isIn(buffer, filled))
            return true;
        carry = std::min(carryLimit, filled);
        std::memmove(buffer, buffer + filled - carry, carry);
    }
}
