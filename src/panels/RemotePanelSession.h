#pragma once

#include "remote/RemoteEntry.h"
#include "remote/RemoteProfile.h"

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class CurlRemoteProvider;

// What a panel holds while it shows a remote folder. The provider is shared
// with the transfers still running on it, which keep it until they end.
struct RemotePanelSession {
    RemoteProfile profile;
    std::shared_ptr<CurlRemoteProvider> provider;
    QString path = QStringLiteral("/");
    QList<RemoteEntry> entries;
    // Each listing gets a number; a result whose number is no longer awaited is stale.
    quint64 listingNumber = 0;
    bool listing = false;
    std::optional<QString> listingError;
};

namespace RemotePanelProviders {

using Factory = std::function<std::shared_ptr<CurlRemoteProvider>(const RemoteProfile&, const QString& password)>;

// How panels make their providers; tests give theirs the OpenSSH tools they use.
void setFactory(Factory factory);
std::shared_ptr<CurlRemoteProvider> make(const RemoteProfile& profile, const QString& password);

// Ends the connection and lets the provider go on a worker thread: a transfer
// still running there may take a while to end, and the window must not wait.
void release(std::shared_ptr<CurlRemoteProvider> provider);

} // namespace RemotePanelProviders
