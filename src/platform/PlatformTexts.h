#pragma once

#include <QKeyCombination>
#include <QString>

// The words of the platform we run on. The program's texts are written for a
// Mac; where one names a macOS thing that is false elsewhere (the keychain, the
// Finder, the ⌘ key on a keyboard that says Ctrl), it passes through here and
// comes out in the platform's own words. On macOS every text stays as it is.
// Stored chord texts never pass through here: they keep their symbols.
namespace PlatformTexts {

// The text as this platform says it.
QString localized(const QString& text);
// A key chord as menus and hints show it ("Strg+D" here, "⌘D" on a Mac).
QString keyChord(QKeyCombination chord);
// Whether a favourite folder of the Mac ("/Applications") exists here at all.
bool offersApplicationsFolder();

} // namespace PlatformTexts
