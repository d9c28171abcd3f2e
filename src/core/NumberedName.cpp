#include "core/NumberedName.h"

namespace {

// The longest prefix of `text` of at most `bytes` bytes that does not cut a
// UTF-8 sequence in two.
QByteArray utf8Prefix(const QByteArray& text, qsizetype bytes)
{
    if (text.size() <= bytes)
        return text;
    qsizetype cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text.at(cut)) & 0xC0) == 0x80)
        --cut;
    return text.left(cut);
}

} // namespace

QByteArray numberedName(const QByteArray& name, quint64 n, qsizetype maximumBytes)
{
    const QByteArray number = n == 1 ? QByteArray() : ' ' + QByteArray::number(n);
    const qsizetype dot = name.lastIndexOf('.');
    QByteArray extension = dot > 0 && dot < name.size() - 1 ? name.mid(dot) : QByteArray();
    if (extension.size() + number.size() >= maximumBytes)
        extension.clear();
    const QByteArray base = name.left(name.size() - extension.size());
    return utf8Prefix(base, maximumBytes - number.size() - extension.size()) + number + extension;
}
