#pragma once

#include "remote/RemoteProfile.h"

#include <QList>
#include <QString>

// The saved profile list: one JSON array under one settings key. No cache: every
// read decodes the stored value afresh, every write replaces it. Main thread.
class RemoteProfileStore {
public:
    // The store under "Brenvik.RemoteProfiles".
    static const RemoteProfileStore& shared();

    explicit RemoteProfileStore(QString key);

    const QString& key() const noexcept { return m_key; }

    // Empty when the key is absent or its value does not decode; no error is reported.
    QList<RemoteProfile> profiles() const;
    // Replaces the stored value with the complete list.
    void setProfiles(const QList<RemoteProfile>& profiles) const;

private:
    QString m_key;
};
