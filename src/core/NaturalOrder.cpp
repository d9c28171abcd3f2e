#include "core/NaturalOrder.h"

namespace {

bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A digit run becomes '0', one code unit holding the count of significant digits,
// and the significant digits: runs then compare by length first, then digit by
// digit, which is comparison by value. The leading '0' keeps runs in the place a
// digit has among the other characters.
void appendDigitRun(QString& key, QStringView digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits[first] == u'0')
        ++first;
    key.append(u'0');
    key.append(QChar(char16_t(digits.size() - first)));
    key.append(digits.mid(first));
}

char16_t unchanged(char16_t c) { return c; }
char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

// Appends `text` with each character mapped by `fold` and digit runs encoded.
template<typename Fold>
void appendEncoded(QString& key, QStringView text, Fold fold)
{
    qsizetype i = 0;
    while (i < text.size()) {
        if (isAsciiDigit(text[i].unicode())) {
            qsizetype end = i;
            while (end < text.size() && isAsciiDigit(text[end].unicode()) && end - i < 0xFFFE)
                ++end;
            appendDigitRun(key, text.mid(i, end - i));
            i = end;
        } else {
            key.append(QChar(fold(text[i].unicode())));
            ++i;
        }
    }
}

bool isAscii(QStringView name)
{
    for (QChar c : name)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QString asciiKey(QStringView name)
{
    QString key;
    key.reserve(name.size() + 4);
    appendEncoded(key, name, asciiLower);
    return key;
}

} // namespace

namespace NaturalOrder {

QString sortKey(QStringView name)
{
    if (isAscii(name))
        return asciiKey(name);

    // Primary: base letters only, so accents sort beside their letters.
    const QString folded = name.toString().toCaseFolded();
    const QString decomposed = folded.normalized(QString::NormalizationForm_KD);
    QString base;
    base.reserve(decomposed.size());
    for (QChar c : decomposed)
        if (!c.isMark())
            base.append(c);

    QString key;
    key.reserve(base.size() + folded.size() + 8);
    appendEncoded(key, base, unchanged);
    // Secondary: the folded name itself breaks ties between Apfel and Äpfel. The
    // separator is lower than anything a file name holds, so a pure-ASCII name
    // (which has no secondary part) sorts before its accented twins.
    key.append(QChar(u'\0'));
    appendEncoded(key, folded, unchanged);
    return key;
}

QString sortKeyFromUtf8(const char* bytes, qsizetype length)
{
    bool ascii = true;
    for (qsizetype i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
    if (ascii)
        return asciiKey(QString::fromLatin1(bytes, length));
    return sortKey(QString::fromUtf8(bytes, length));
}

int compare(QStringView a, QStringView b)
{
    const int result = QString::compare(sortKey(a), sortKey(b), Qt::CaseSensitive);
    return (result > 0) - (result < 0);
}

} // namespace NaturalOrder
