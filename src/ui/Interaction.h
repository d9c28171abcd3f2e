#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

class BrenvikError;

// How serious an alert looks (its icon); the buttons decide what happens.
enum class AlertStyle { informational, warning, critical };

// One control in an alert's accessory area. Use the factory functions; after
// the alert the response carries the same controls with the user's values.
struct AccessoryControl {
    enum class Kind { textField, popUp, checkBox };

    static AccessoryControl textField(QString text, QSize size = {});
    static AccessoryControl popUp(QStringList items, int selectedIndex = 0, QSize size = {});
    static AccessoryControl checkBox(QString title, bool checked = false, QSize size = {});

    Kind kind = Kind::textField;
    QString text;           // text field: its contents; check box: its title
    QStringList items;      // pop-up: the entries in order
    int selectedIndex = 0;  // pop-up: the chosen entry
    bool checked = false;   // check box: its state
    QSize size;             // fixed size in points; empty means the natural size
};

// The controls below the informative text, stacked top to bottom.
struct AlertAccessory {
    QList<AccessoryControl> controls;
    QSize size;        // fixed size of the whole stack; empty means natural
    int spacing = 7;   // between the controls
};

struct AlertRequest {
    AlertStyle style = AlertStyle::informational;
    QString message;
    QString informativeText;
    // In order; the first is the default button. Empty means a single "OK".
    QStringList buttons;
    AlertAccessory accessory;

    // The buttons as shown: the given ones, or "OK" alone.
    QStringList effectiveButtons() const;
};

struct AlertResponse {
    // Index into AlertRequest::effectiveButtons(). Escape or closing the alert
    // counts as the last button, so "Abbrechen" belongs at the end.
    int buttonIndex = 0;
    QList<AccessoryControl> controls;

    // The final value of the first control of that kind (empty, -1 or false
    // when the alert had none).
    QString text() const;
    int selectedIndex() const;
    bool isChecked() const;
};

struct OpenFileRequest {
    QString title;
    QString startFolder;              // empty: the home folder
    QStringList allowedSuffixes;      // e.g. {"json"}; empty: every file
};

struct SaveFileRequest {
    QString title;
    QString suggestedName;
    QString startFolder;              // empty: the home folder
    QStringList allowedSuffixes;
};

// Everything a command asks of the user goes through here, so that windows can
// be driven end to end in tests with a scripted implementation.
class Interaction {
public:
    virtual ~Interaction();

    virtual AlertResponse runAlert(const AlertRequest& request) = 0;
    virtual void beep() = 0;
    // One existing file (no folders); nothing when cancelled.
    virtual std::optional<QString> chooseFileToOpen(const OpenFileRequest& request) = 0;
    // The destination path the user confirmed; nothing when cancelled.
    virtual std::optional<QString> chooseSaveDestination(const SaveFileRequest& request) = 0;

    // Alerts built from a failure: a warning with the single button "OK".
    void showError(const BrenvikError& error);
    void showError(const QString& message, const QString& informativeText);
};
