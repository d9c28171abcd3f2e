#pragma once

#include "support/TestEnvironment.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <memory>

// A settings file of its own for one test. `reopen()` writes everything out and
// reads the file as the next start of the program would. QSettings keeps a
// parsed copy of each file per process, keyed by its name, and would hand back
// the typed values it wrote; so every reopening reads a copy under a new name,
// and the INI format's quirks (types lost, one-element lists as text) show.
class IniFile {
public:
    IniFile() { m_settings = std::make_unique<QSettings>(path(), QSettings::IniFormat); }

    QSettings& settings() { return *m_settings; }

    QSettings& reopen()
    {
        m_settings.reset(); // writes pending changes
        const QString previous = path();
        ++m_generation;
        QFile::copy(previous, path());
        m_settings = std::make_unique<QSettings>(path(), QSettings::IniFormat);
        return *m_settings;
    }

    // Opens hand-written INI text (as a user or an older version might have left it).
    QSettings& writeRaw(const QByteArray& contents)
    {
        m_settings.reset();
        ++m_generation;
        m_folder.write(fileName(), contents);
        m_settings = std::make_unique<QSettings>(path(), QSettings::IniFormat);
        return *m_settings;
    }

    QString path() const { return QString::fromUtf8(m_folder.path() + '/' + fileName()); }

private:
    QByteArray fileName() const { return "settings-" + QByteArray::number(m_generation) + ".ini"; }

    TempFolder m_folder;
    int m_generation = 0;
    std::unique_ptr<QSettings> m_settings;
};
