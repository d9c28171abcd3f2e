#pragma once

#include "preferences/PreferencesStore.h"

#include <QByteArray>
#include <QColor>
#include <optional>

// The folder and file colours of the panels. A colour is stored as the data
// "#AARRGGBB" (ASCII); data in any other form is unreadable and reads as the
// default colour.
namespace DisplayColors {

using ColorKey = PreferencesStore::ColorKey;

// Folders: a fixed system blue; files: the palette's text colour.
QColor defaultColor(ColorKey key);
QColor color(const PreferencesStore& store, ColorKey key);
// Stores a valid colour; an invalid one is not stored (returns false, the key
// keeps its old value).
bool save(PreferencesStore& store, ColorKey key, const QColor& color);

QByteArray encode(const QColor& color);
std::optional<QColor> decode(const QByteArray& data);

} // namespace DisplayColors
