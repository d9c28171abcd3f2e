#pragma once

#include "preferences/SettingsFile.h"
#include "remote/CredentialStore.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteProfileEditor.h"
#include "remote/RemoteProfileStore.h"
#include "support/ScriptedInteraction.h"
#include "support/SecretService.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

// The button of `window` with this title.
inline QAbstractButton* button(QWidget& window, const QString& title)
{
    for (QAbstractButton* candidate : window.findChildren<QAbstractButton*>())
        if (candidate->text() == title)
            return candidate;
    ADD_FAILURE() << "no button " << title.toStdString();
    return nullptr;
}

inline void click(QWidget& window, const QString& title)
{
    if (QAbstractButton* found = button(window, title))
        found->click();
}

// Lets queued results arrive until `done` holds (false after `milliseconds`).
template <typename Condition>
inline bool waitFor(Condition done, int milliseconds = 20000)
{
    return QTest::qWaitFor(done, milliseconds);
}

// The editor's control as a user finds it: by the label in front.
template <typename Control = QLineEdit>
Control* editorField(RemoteProfileEditor& editor, const QString& label)
{
    auto* grid = editor.findChild<QGridLayout*>();
    for (int row = 0; grid && row < grid->rowCount(); ++row) {
        QLayoutItem* labelItem = grid->itemAtPosition(row, 0);
        auto* text = labelItem ? qobject_cast<QLabel*>(labelItem->widget()) : nullptr;
        if (!text || text->text() != label)
            continue;
        QLayoutItem* item = grid->itemAtPosition(row, 1);
        return qobject_cast<Control*>(item->widget() ? item->widget() : item->layout()->itemAt(0)->widget());
    }
    ADD_FAILURE() << "no field " << label.toStdString();
    return nullptr;
}

inline void chooseProtocol(RemoteProfileEditor& editor, RemoteProtocolKind kind)
{
    editorField<QComboBox>(editor, QStringLiteral("Protokoll:"))->setCurrentText(rawValue(kind));
}

// Fills name, protocol, server, port, user and password.
inline void fillEditor(RemoteProfileEditor& editor, const RemoteProfile& profile, const QString& password)
{
    editorField(editor, QStringLiteral("Name:"))->setText(profile.name);
    chooseProtocol(editor, profile.kind);
    editorField(editor, QStringLiteral("Server:"))->setText(profile.host);
    editorField(editor, QStringLiteral("Port:"))->setText(QString::number(profile.port));
    editorField(editor, QStringLiteral("Benutzer:"))->setText(profile.username);
    editorField(editor, QStringLiteral("Passwort/Passphrase:"))->setText(password);
}

// The remote windows with a scripted user, an empty profile store and the
// private keychain; every password a test stores is removed afterwards.
class RemoteWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
        brenvikSettings().clear();
    }

    void TearDown() override
    {
        for (const QUuid& id : m_storedPasswords)
            credentials.remove(id);
        brenvikSettings().clear();
    }

    void storePassword(const RemoteProfile& profile, const QString& password)
    {
        credentials.save(password, profile.id);
        forgetPasswordAfterTest(profile.id);
    }
    void forgetPasswordAfterTest(const QUuid& id) { m_storedPasswords.append(id); }

    static QList<RemoteProfile> storedProfiles() { return RemoteProfileStore::shared().profiles(); }

    // SFTP logs in through the real executable's askpass mode.
    static SftpTools sftpTools()
    {
        SftpTools tools;
        tools.askpass = BRENVIK_EXECUTABLE;
        return tools;
    }

    qsizetype alertCount() const { return interaction.alerts().size(); }

    ScriptedInteraction interaction;
    const CredentialStore credentials = CredentialStore::forApplication();

private:
    QList<QUuid> m_storedPasswords;
};
