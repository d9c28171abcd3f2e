#include "preferences/SettingsValue.h"

#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>
#include <limits>

namespace SettingsValue {

namespace {

bool isText(const QVariant& value)
{
    return value.typeId() == QMetaType::QString;
}

template <typename Dictionary>
std::optional<QMap<QString, QString>> textValues(const Dictionary& dictionary)
{
    QMap<QString, QString> result;
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        if (!isText(it.value()))
            return std::nullopt;
        result.insert(it.key(), it.value().toString());
    }
    return result;
}

} // namespace

std::optional<bool> boolean(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (!isText(value))
        return std::nullopt;
    const QString text = value.toString();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<qint64> integer(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong number = value.toULongLong();
        return number <= qulonglong(std::numeric_limits<qint64>::max()) ? std::optional<qint64>(qint64(number))
                                                                         : std::nullopt;
    }
    case QMetaType::QString: {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok, 10);
        return ok ? std::optional<qint64>(number) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> text(const QVariant& value)
{
    return isText(value) ? std::optional<QString>(value.toString()) : std::nullopt;
}

std::optional<QStringList> textList(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return QStringList{value.toString()};
    case QMetaType::QVariantList: {
        // The file gives a mixed list when an element was stored as "@…" (data, …).
        QStringList result;
        for (const QVariant& element : value.toList()) {
            if (!isText(element))
                return std::nullopt;
            result.append(element.toString());
        }
        return result;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QMap<QString, QString>> textMap(const QVariant& value)
{
    if (value.typeId() == QMetaType::QVariantMap)
        return textValues(value.toMap());
    if (value.typeId() == QMetaType::QVariantHash)
        return textValues(value.toHash());
    return std::nullopt;
}

std::optional<QByteArray> data(const QVariant& value)
{
    return value.typeId() == QMetaType::QByteArray ? std::optional<QByteArray>(value.toByteArray())
                                                   : std::nullopt;
}

} // namespace SettingsValue
