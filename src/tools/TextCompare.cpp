#include "tools/TextCompare.h"

#include "tools/FileHead.h"

namespace {

bool isLineBreak(char16_t c)
{
    return (c >= u'\n' && c <= u'\r') || c == u'\u0085' || c == u'\u2028' || c == u'\u2029';
}

constexpr qsizetype numberWidth = 6;

// The line number right-aligned in six columns (wider numbers push the text
// right), two blanks, the text, a line feed.
void appendLine(QString& out, qsizetype number, QStringView text)
{
    char16_t digits[20];
    int count = 0;
    for (quint64 rest = quint64(number); rest != 0 || count == 0; rest /= 10)
        digits[count++] = char16_t(u'0' + rest % 10);
    for (qsizetype pad = numberWidth - count; pad > 0; --pad)
        out.append(u' ');
    while (count > 0)
        out.append(QChar(digits[--count]));
    out.append(QLatin1String("  "));
    out.append(text);
    out.append(u'\n');
}

TextCompare::LineShade shadeOf(bool present, bool differs)
{
    if (!present)
        return TextCompare::LineShade::missing;
    return differs ? TextCompare::LineShade::changed : TextCompare::LineShade::none;
}

qsizetype textLength(const QStringList& lines)
{
    qsizetype length = 0;
    for (const QString& line : lines)
        length += line.size();
    return length;
}

} // namespace

namespace TextCompare {

LinesRead readLines(const FileUrl& url, const CancellationToken& token)
{
    FileHead head = readFileHead(url, readLimit + 1, token);
    LinesRead read;
    read.truncated = head.bytes.size() > readLimit;
    if (read.truncated)
        head.bytes.truncate(readLimit);
    read.lines = splitLines(QString::fromUtf8(head.bytes));
    return read;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (isLineBreak(text[i].unicode())) {
            lines.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    lines.append(text.mid(start));
    return lines;
}

Comparison compareLines(const QStringList& left, const QStringList& right, const CancellationToken& token)
{
    const qsizetype count = std::max(left.size(), right.size());
    const qsizetype perLine = std::max<qsizetype>(numberWidth, QString::number(count).size()) + 3;
    Comparison result;
    result.left.text.reserve(textLength(left) + count * perLine);
    result.right.text.reserve(textLength(right) + count * perLine);
    result.left.shades.reserve(size_t(count));
    result.right.shades.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        if (i % 4096 == 0)
            token.throwIfCancelled();
        const bool hasLeft = i < left.size();
        const bool hasRight = i < right.size();
        const QStringView leftText = hasLeft ? QStringView(left[i]) : QStringView();
        const QStringView rightText = hasRight ? QStringView(right[i]) : QStringView();
        const bool differs = leftText != rightText;
        if (differs)
            ++result.differences;
        appendLine(result.left.text, i + 1, leftText);
        appendLine(result.right.text, i + 1, rightText);
        result.left.shades.push_back(shadeOf(hasLeft, differs));
        result.right.shades.push_back(shadeOf(hasRight, differs));
    }
    return result;
}

QString status(qsizetype differences, bool truncated)
{
    QString text = QString::number(differences) + QStringLiteral(" abweichende Zeile(n)");
    if (truncated)
        text += QStringLiteral(" · Vergleich auf erste 4 MB begrenzt");
    return text;
}

} // namespace TextCompare
