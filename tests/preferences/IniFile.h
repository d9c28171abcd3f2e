#pragma once

#include "support/TestEnvironment.h"

#include <QFile>
#include <QSettings>
#include <memory>

// A settings file of its own for one test. QSettings caches each file's parsed
// values per process by name, so every reopening reads a copy under a new name:
// only then do the INI format's quirks show (types lost, one-element lists as text).
class IniFile {
public:
    IniFile() { writeRaw({}); }
    QSettings& settings() { return *m_settings; }

    // Writes everything out and reads the file as the next start of the program would.
    QSettings& reopen()
    {
        m_settings->sync();
        QFile file(m_settings->fileName());
        return writeRaw(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }

    // Opens hand-written INI text, as a user or an older version might have left it.
    QSettings& writeRaw(const QByteArray& contents)
    {
        const FileUrl file = m_folder.write("settings-" + QByteArray::number(++m_generation) + ".ini", contents);
        m_settings = std::make_unique<QSettings>(file.path(), QSettings::IniFormat);
        return *m_settings;
    }

private:
    TempFolder m_folder;
    int m_generation = 0;
    std::unique_ptr<QSettings> m_settings;
};
