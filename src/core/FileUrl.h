#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QString>
#include <optional>

// Identity of a directory entry. A local entry is its absolute path as the exact
// bytes the kernel knows (names on Linux need not be valid UTF-8, and a lossy
// text form could name a different file). A remote entry is the virtual URL
// "brvk-remote://<profile>/<percent-encoded name>".
class FileUrl {
public:
    FileUrl() = default;

    // An absolute local path; a trailing slash (other than the root's) is dropped.
    static FileUrl fromNativePath(QByteArray absolutePath);
    static FileUrl fromLocalPath(const QString& absolutePath);
    // The virtual URL of an entry in a remote folder; an empty profile id reads "unknown".
    static FileUrl remote(const QString& profileId, const QString& name);

    bool isEmpty() const { return m_bytes.isEmpty(); }
    bool isLocal() const { return m_bytes.startsWith('/'); }
    bool isRemote() const { return !isEmpty() && !isLocal(); }

    // Local: the exact path bytes for system calls. Remote: the URL text.
    const QByteArray& nativePath() const { return m_bytes; }
    // Text for display; bytes that are not UTF-8 show as U+FFFD.
    QString path() const { return QString::fromUtf8(m_bytes); }
    // The path as text when that text names exactly this entry; nothing otherwise.
    // Every place that must hand a path to text-based interfaces (settings, Qt
    // file classes) uses this and refuses clearly when it is empty.
    std::optional<QString> exactPath() const;
    bool hasExactText() const;

    // Last path component; for remote URLs with percent-decoding.
    QString fileName() const;
    QByteArray nativeFileName() const;
    // Extension of the last component without the point; empty for ".env" or "name.".
    QString pathExtension() const;

    FileUrl parent() const;
    FileUrl appending(const QByteArray& nativeName) const;
    FileUrl appending(const QString& name) const { return appending(name.toUtf8()); }
    // True when this entry is `ancestor` itself or lies below it (compared by path bytes).
    bool isInside(const FileUrl& ancestor) const;

    friend bool operator==(const FileUrl&, const FileUrl&) = default;
    friend size_t qHash(const FileUrl& url, size_t seed = 0) { return qHash(url.m_bytes, seed); }

private:
    explicit FileUrl(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    QByteArray m_bytes;
};
