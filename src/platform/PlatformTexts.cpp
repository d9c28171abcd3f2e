#include "platform/PlatformTexts.h"

#include <utility>

namespace PlatformTexts {

namespace {

#ifndef Q_OS_MACOS
// Longer texts first, so that a sentence is replaced before a word inside it.
const std::pair<const char*, const char*> linuxWords[] = {
    {"Falls macOS die F-Tasten abfängt, Fn gedrückt halten.",
     "Falls die Arbeitsumgebung die F-Tasten abfängt, ihre Tastenkürzel dort freigeben."},
    {"Bei F-Tasten kann Fn erforderlich sein.",
     "Bei F-Tasten kann eine Freigabe in der Arbeitsumgebung erforderlich sein."},
    {"über einen macOS-Dateidialog oder prüfe unter Systemeinstellungen → ",
     "über einen Dateidialog oder prüfe in den Systemeinstellungen der Arbeitsumgebung → "},
    {"Native Datei-Werkbank für macOS", "Native Datei-Werkbank für Linux"},
    {"macOS-Schlüsselbund", "Schlüsselbund"},
    {"macOS-Papierkorb", "Papierkorb"},
    {"Im Finder zeigen", "Im Dateimanager zeigen"},
    {"macOS: ", "System: "},
    {"⌘⌥⇧", "Strg+Alt+Umschalt+"},
    {"⌘⌥", "Strg+Alt+"},
    {"⌘⇧", "Strg+Umschalt+"},
    {"⌘", "Strg+"},
};
#endif

QString keyName(Qt::Key key)
{
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(int(key) - int(Qt::Key_F1) + 1);
    switch (key) {
    case Qt::Key_Tab: return QStringLiteral("Tab");
    case Qt::Key_Backtab: return QStringLiteral("Tab");
    case Qt::Key_Return: return QStringLiteral("Eingabe");
    case Qt::Key_Enter: return QStringLiteral("Enter");
    case Qt::Key_Backspace: return QStringLiteral("Rücktaste");
    case Qt::Key_Space: return QStringLiteral("Leertaste");
    default: break;
    }
    // Printable keys carry their (upper-case) character as their code.
    return int(key) >= 0x20 && int(key) < 0x7f ? QString(QChar(int(key))) : QString();
}

} // namespace

QString localized(const QString& text)
{
#ifdef Q_OS_MACOS
    return text;
#else
    QString result = text;
    for (const auto& [mac, here] : linuxWords)
        result.replace(QString::fromUtf8(mac), QString::fromUtf8(here));
    return result;
#endif
}

QString keyChord(QKeyCombination chord)
{
    const Qt::KeyboardModifiers modifiers = chord.keyboardModifiers();
    QString text;
#ifdef Q_OS_MACOS
    if (modifiers.testFlag(Qt::MetaModifier))
        text += QStringLiteral("⌃");
    if (modifiers.testFlag(Qt::AltModifier))
        text += QStringLiteral("⌥");
    if (modifiers.testFlag(Qt::ShiftModifier))
        text += QStringLiteral("⇧");
    if (modifiers.testFlag(Qt::ControlModifier))
        text += QStringLiteral("⌘");
#else
    if (modifiers.testFlag(Qt::ControlModifier))
        text += QStringLiteral("Strg+");
    if (modifiers.testFlag(Qt::MetaModifier))
        text += QStringLiteral("Super+");
    if (modifiers.testFlag(Qt::AltModifier))
        text += QStringLiteral("Alt+");
    if (modifiers.testFlag(Qt::ShiftModifier))
        text += QStringLiteral("Umschalt+");
#endif
    return text + keyName(chord.key());
}

bool offersApplicationsFolder()
{
#ifdef Q_OS_MACOS
    return true;
#else
    return false;
#endif
}

} // namespace PlatformTexts
