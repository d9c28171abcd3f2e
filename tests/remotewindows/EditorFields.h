#pragma once

#include "remote/RemoteProfileEditor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

// The editor's controls as a user finds them: by the label in front.
inline QWidget* editorControl(RemoteProfileEditor& editor, const QString& label)
{
    auto* grid = editor.findChild<QGridLayout*>();
    for (int row = 0; grid && row < grid->rowCount(); ++row) {
        QLayoutItem* labelItem = grid->itemAtPosition(row, 0);
        auto* text = labelItem ? qobject_cast<QLabel*>(labelItem->widget()) : nullptr;
        if (!text || text->text() != label)
            continue;
        QLayoutItem* item = grid->itemAtPosition(row, 1);
        return item->widget() ? item->widget() : item->layout()->itemAt(0)->widget();
    }
    ADD_FAILURE() << "no field " << label.toStdString();
    return nullptr;
}

inline QLineEdit* editorField(RemoteProfileEditor& editor, const QString& label)
{
    return qobject_cast<QLineEdit*>(editorControl(editor, label));
}

inline void chooseProtocol(RemoteProfileEditor& editor, RemoteProtocolKind kind)
{
    qobject_cast<QComboBox*>(editorControl(editor, QStringLiteral("Protokoll:")))->setCurrentText(rawValue(kind));
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
