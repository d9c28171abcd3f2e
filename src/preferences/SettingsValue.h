#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// Typed reading of settings values. The INI file keeps no types: booleans and
// integers come back as text, a one-element list as a plain text and an empty
// list as an invalid value. These readers accept exactly the forms a value of
// the wanted type can take after such a round trip and give nothing for
// anything else, so that callers can treat a mistyped value like an absent one.
namespace SettingsValue {

// A real boolean, or the text "true"/"false" (any case). "1", "yes", "abc": nothing.
std::optional<bool> boolean(const QVariant& value);
// A real integer, or a decimal text such as "7" or "-1". "7.5", "abc", true: nothing.
std::optional<qint64> integer(const QVariant& value);
// A text; lists, data and numbers that were never text are nothing.
std::optional<QString> text(const QVariant& value);
// A list whose elements are all texts; a single text is a one-element list.
std::optional<QStringList> textList(const QVariant& value);
// A dictionary whose values are all texts.
std::optional<QMap<QString, QString>> textMap(const QVariant& value);
// Raw bytes (stored as "@ByteArray(…)" in the file).
std::optional<QByteArray> data(const QVariant& value);

} // namespace SettingsValue
