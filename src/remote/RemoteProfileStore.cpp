#include "remote/RemoteProfileStore.h"

#include "preferences/SettingsFile.h"
#include "remote/RemoteProfileJson.h"

const RemoteProfileStore& RemoteProfileStore::shared()
{
    static const RemoteProfileStore store(QStringLiteral("Brenvik.RemoteProfiles"));
    return store;
}

RemoteProfileStore::RemoteProfileStore(QString key) : m_key(std::move(key)) {}

QList<RemoteProfile> RemoteProfileStore::profiles() const
{
    const QVariant value = brenvikSettings().value(m_key);
    if (value.typeId() != QMetaType::QString)
        return {};
    return decodeRemoteProfiles(value.toString().toUtf8()).value_or(QList<RemoteProfile>());
}

void RemoteProfileStore::setProfiles(const QList<RemoteProfile>& profiles) const
{
    QSettings& settings = brenvikSettings();
    settings.setValue(m_key, QString::fromUtf8(encodeRemoteProfiles(profiles, RemoteProfileJsonStyle::compact)));
    settings.sync();
}
