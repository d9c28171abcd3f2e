#pragma once

#include "core/FileUrl.h"

#include <QByteArray>
#include <QString>
#include <functional>

// Hermetic surroundings for one test executable: a private HOME, XDG folders,
// temporary folder and settings file, so nothing touches the user's own.
namespace TestEnvironment {

void setUpProcess();

} // namespace TestEnvironment

// A fresh folder for one test, removed afterwards (also when made unwritable).
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const FileUrl& url() const { return m_url; }
    QByteArray path() const { return m_url.nativePath(); }
    FileUrl file(const QByteArray& relative) const { return m_url.appending(relative); }

    // Creates a file (with parents) holding `contents`; returns its url.
    FileUrl write(const QByteArray& relative, const QByteArray& contents = {}) const;
    FileUrl makeFolder(const QByteArray& relative) const;

private:
    FileUrl m_url;
};

// Runs `body` in a forked child that has given up root (uid/gid 65534), so that
// permission faults are real even when the tests run as root. Returns the
// child's exit status, or -1 when it did not exit normally.
int runUnprivileged(const std::function<int()>& body);
