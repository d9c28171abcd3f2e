#include "preferences/KeyChord.h"

#include <QHash>

namespace KeyChord {

namespace {

// Keys that print nothing but are worth binding, with the symbols users know
// from keyboard legends and menus.
QString symbolName(int key)
{
    static const QHash<int, QString> symbols = {
        {Qt::Key_Backspace, QStringLiteral("⌫")}, {Qt::Key_Delete, QStringLiteral("⌦")},
        {Qt::Key_Return, QStringLiteral("↩")},    {Qt::Key_Enter, QStringLiteral("⌤")},
        {Qt::Key_Tab, QStringLiteral("⇥")},       {Qt::Key_Backtab, QStringLiteral("⇥")},
        {Qt::Key_Escape, QStringLiteral("⎋")},    {Qt::Key_Space, QStringLiteral("␣")},
        {Qt::Key_Left, QStringLiteral("←")},      {Qt::Key_Right, QStringLiteral("→")},
        {Qt::Key_Up, QStringLiteral("↑")},        {Qt::Key_Down, QStringLiteral("↓")},
        {Qt::Key_Home, QStringLiteral("↖")},      {Qt::Key_End, QStringLiteral("↘")},
        {Qt::Key_PageUp, QStringLiteral("⇞")},    {Qt::Key_PageDown, QStringLiteral("⇟")},
        {Qt::Key_Clear, QStringLiteral("⌧")},     {Qt::Key_Insert, QStringLiteral("Einfg")},
    };
    return symbols.value(key);
}

QString keyName(int key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QLatin1Char('F') + QString::number(key - Qt::Key_F1 + 1);
    if (const QString symbol = symbolName(key); !symbol.isEmpty())
        return symbol;
    // Below the special-key range Qt's key codes are the Unicode code points of
    // the key's character (letters already upper-case).
    const bool printable = key > Qt::Key_Space && key < Qt::Key_Escape && key <= 0x10FFFF
                           && QChar::isPrint(char32_t(key));
    if (!printable)
        return {};
    const char32_t codePoint = char32_t(key);
    return QString::fromUcs4(&codePoint, 1).toUpper();
}

} // namespace

QString chord(int key, Qt::KeyboardModifiers modifiers)
{
    const QString name = keyName(key);
    if (name.isEmpty())
        return {};
    QString result;
    if (modifiers & Qt::ControlModifier)
        result += QStringLiteral("⌘");
    if (modifiers & Qt::AltModifier)
        result += QStringLiteral("⌥");
    if (modifiers & Qt::MetaModifier)
        result += QStringLiteral("⌃");
    if (modifiers & Qt::ShiftModifier)
        result += QStringLiteral("⇧");
    return result + name;
}

Capture Capture::of(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_Escape)
        return {Outcome::cancel, {}};
    if (key == Qt::Key_Backspace)
        return {Outcome::clear, {}};
    const QString text = KeyChord::chord(key, modifiers);
    if (text.isEmpty())
        return {Outcome::keepWaiting, {}};
    return {Outcome::assign, text};
}

} // namespace KeyChord
