#include "preferences/DisplayColors.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cctype>

namespace DisplayColors {

QColor defaultColor(ColorKey key)
{
    if (key == ColorKey::folder)
        return QColor(0, 122, 255);
    return QGuiApplication::palette().color(QPalette::Text);
}

QColor color(const PreferencesStore& store, ColorKey key)
{
    if (const auto data = store.colorData(key))
        if (const auto stored = decode(*data))
            return *stored;
    return defaultColor(key);
}

bool save(PreferencesStore& store, ColorKey key, const QColor& color)
{
    if (!color.isValid())
        return false;
    store.saveColorData(key, encode(color));
    return true;
}

QByteArray encode(const QColor& color)
{
    return color.name(QColor::HexArgb).toLatin1();
}

std::optional<QColor> decode(const QByteArray& data)
{
    if (data.size() != 9 || !data.startsWith('#'))
        return std::nullopt;
    const QByteArray digits = data.mid(1);
    if (!std::all_of(digits.cbegin(), digits.cend(), [](char c) { return std::isxdigit(uchar(c)); }))
        return std::nullopt;
    return QColor::fromRgba(digits.toUInt(nullptr, 16));
}

} // namespace DisplayColors
