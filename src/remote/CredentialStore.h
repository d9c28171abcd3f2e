#pragma once

#include "core/BrenvikError.h"

#include <QString>
#include <QUuid>
#include <optional>

// The keychain refused to store a password. `status` is the keychain's code.
class CredentialStoreError : public BrenvikError {
public:
    explicit CredentialStoreError(qint32 status);

    qint32 status() const noexcept { return m_status; }

private:
    qint32 m_status;
};

// Remote passwords and key passphrases, one keychain item per profile: the
// service names this application, the account is the profile id in canonical
// upper-case form. Nothing is ever written to a file instead, also not when no
// keychain is reachable.
//
// Every operation waits for the keychain in a local event loop (user input is
// held back meanwhile), so it needs a QCoreApplication and must run on a thread
// with a Qt event dispatcher — in practice the main thread.
class CredentialStore {
public:
    static constexpr const char* applicationIdentifier = "de.brenvik.Brenvik";

    // The store every part of the program uses, also the askpass mode.
    static CredentialStore forApplication();

    explicit CredentialStore(QString service);

    const QString& service() const noexcept { return m_service; }

    // Absent when there is no item, the keychain reports any error or the
    // stored bytes are not UTF-8. Never fails.
    std::optional<QString> read(const QUuid& profileID) const;
    // Stores or replaces the password; throws CredentialStoreError.
    void save(const QString& password, const QUuid& profileID) const;
    // Removes the item; any failure, also "not found", is ignored.
    void remove(const QUuid& profileID) const;

private:
    QString m_service;
};
