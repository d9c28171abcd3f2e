#include "selftest/SelfTestRunner.h"

#include "archive/ArchiveListingCheck.h"
#include "core/FileSystemCore.h"
#include "core/SystemError.h"
#include "remote/FtpListing.h"
#include "selftest/ScratchFolder.h"

#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The reason a check failed, printed after its name.
struct Failure {
    QString reason;
};

void print(FILE* out, const QString& line)
{
    std::fputs(line.toUtf8().constData(), out);
    std::fputc('\n', out);
}

class CheckList {
public:
    explicit CheckList(FILE* out) : m_out(out) {}

    void test(const QString& name, const std::function<void()>& body)
    {
        QString reason;
        try {
            body();
            ++m_passed;
            print(m_out, QStringLiteral("✓ ") + name);
            return;
        } catch (const Failure& failure) {
            reason = failure.reason;
        } catch (const BrenvikError& error) {
            reason = error.description();
        } catch (const std::exception& error) {
            reason = QString::fromUtf8(error.what());
        }
        const QString line = QStringLiteral("✗ ") + name + QStringLiteral(": ") + reason;
        print(m_out, line);
        m_failures.append(line);
    }

    int passed() const { return m_passed; }
    qsizetype failed() const { return m_failures.size(); }

private:
    FILE* m_out;
    int m_passed = 0;
    QStringList m_failures;
};

void require(bool condition, const char* reason)
{
    if (!condition)
        throw Failure{QString::fromUtf8(reason)};
}

void writeFile(const FileUrl& url, const QByteArray& contents)
{
    const int fd = open(url.nativePath().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw SystemError(errno, url.nativePath());
    const bool written = write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    const int error = errno;
    close(fd);
    if (!written)
        throw SystemError(error, url.nativePath());
}

bool exists(const FileUrl& url)
{
    struct stat st;
    return lstat(url.nativePath().constData(), &st) == 0;
}

const FileItem* findNamed(const QList<FileItem>& items, const QString& name)
{
    const auto found = std::find_if(items.begin(), items.end(), [&](const FileItem& item) { return item.name() == name; });
    return found == items.end() ? nullptr : &*found;
}

void runChecks(CheckList& checks, const FileUrl& scratch)
{
    checks.test(QStringLiteral("Leeres Verzeichnis"), [&] {
        require(FileSystemCore::contents(scratch, false).isEmpty(), "nicht leer");
    });
    checks.test(QStringLiteral("Unicode-Dateiname"), [&] {
        const QString name = QStringLiteral("Äpfel-東京-😀.txt");
        writeFile(scratch.appending(name), "ok");
        require(findNamed(FileSystemCore::contents(scratch, true), name), "Name verändert");
    });
    checks.test(QStringLiteral("NFC und NFD bleiben zugreifbar"), [&] {
        const FileUrl decomposed = scratch.appending(QStringLiteral("Cafe\u0301.txt"));
        writeFile(decomposed, {});
        require(exists(decomposed), "NFD-Datei fehlt");
    });
    checks.test(QStringLiteral("Kollisionsname"), [&] {
        const FileUrl demo = scratch.appending(QStringLiteral("demo.txt"));
        writeFile(demo, {});
        require(FileSystemCore::uniqueDestination(demo, scratch).fileName() == u"demo 2.txt", "Suffix falsch");
    });
    checks.test(QStringLiteral("Dateimasken"), [&] {
        const QString masks = QStringLiteral("*.jpg;*.png");
        require(FileSystemCore::matches(QStringLiteral("Foto.JPG"), masks), "Großschreibung nicht erkannt");
        require(!FileSystemCore::matches(QStringLiteral("Foto.gif"), masks), "falscher Treffer");
    });
    checks.test(QStringLiteral("Versteckte Dateien"), [&] {
        const QString name = QStringLiteral(".geheim");
        writeFile(scratch.appending(name), {});
        require(!findNamed(FileSystemCore::contents(scratch, false), name), "versteckte Datei sichtbar");
        require(findNamed(FileSystemCore::contents(scratch, true), name), "versteckte Datei fehlt");
    });
    checks.test(QStringLiteral("Symlink wird erkannt"), [&] {
        const FileUrl link = scratch.appending(QStringLiteral("link"));
        if (symlink(scratch.nativePath().constData(), link.nativePath().constData()) != 0)
            throw SystemError(errno, link.nativePath());
        const QList<FileItem> items = FileSystemCore::contents(scratch, true);
        const FileItem* item = findNamed(items, QStringLiteral("link"));
        require(item && item->isSymbolicLink, "Symlink nicht erkannt");
    });
    const auto mustRefuse = [](const QString& listing, const char* reason) {
        try {
            ArchiveListingCheck::checkTarListing(listing);
        } catch (const BrenvikError&) {
            return;
        }
        throw Failure{QString::fromUtf8(reason)};
    };
    checks.test(QStringLiteral("Archiv-Path-Traversal blockiert"), [&] {
        mustRefuse(QStringLiteral("gut/datei.txt\n../ausbruch.txt\n"), "Traversal akzeptiert");
    });
    checks.test(QStringLiteral("Absolute Archivpfade blockiert"), [&] {
        mustRefuse(QStringLiteral("/etc/passwd\n"), "absoluter Pfad akzeptiert");
    });
    checks.test(QStringLiteral("Sicherer Archivpfad erlaubt"), [&] {
        ArchiveListingCheck::checkTarListing(QStringLiteral("ordner/datei.txt\n"));
    });
    checks.test(QStringLiteral("FTP-Verzeichnisliste"), [&] {
        const QList<RemoteEntry> entries = FtpListing::parse(QStringLiteral(
            "drwxr-xr-x 2 owner group 4096 Aug 12 08:00 Ordner mit Leerzeichen\n"
            "-rw-r--r-- 1 owner group 34 Aug 12 08:01 test.txt\n"));
        require(!entries.isEmpty() && entries.first().isDirectory && entries.first().name == u"Ordner mit Leerzeichen",
                "FTP-LIST falsch ausgewertet");
    });
}

} // namespace

namespace SelfTestRunner {

int32_t run(FILE* out)
{
    std::optional<ScratchFolder> scratch;
    try {
        scratch.emplace(QStringLiteral("SelfTest"));
    } catch (const BrenvikError& error) {
        print(out, QStringLiteral("Self-Test konnte nicht vorbereitet werden: ") + error.description());
        return 2;
    }
    CheckList checks(out);
    runChecks(checks, scratch->url());
    print(out, QString());
    print(out, QStringLiteral("Self-Test: %1 bestanden, %2 fehlgeschlagen").arg(checks.passed()).arg(checks.failed()));
    return checks.failed() == 0 ? 0 : 1;
}

int32_t runPerformance(int fileCount, FILE* out)
{
    try {
        ScratchFolder scratch(QStringLiteral("Performance"));
        print(out, QStringLiteral("Erzeuge %1 temporäre Dateien …").arg(fileCount));
        QElapsedTimer timer;
        timer.start();
        char name[32];
        for (int i = 0; i < fileCount; ++i) {
            if (i % 1000 == 0) {
                std::fprintf(out, "\r%d / %d", i, fileCount);
                std::fflush(out);
            }
            std::snprintf(name, sizeof name, "file-%06d.dat", i);
            const int fd = open(scratch.url().appending(QByteArray(name)).nativePath().constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0)
                throw Failure{QStringLiteral("Datei %1 konnte nicht angelegt werden").arg(i)};
            close(fd);
        }
        const double creationSeconds = double(timer.nsecsElapsed()) / 1e9;
        timer.restart();
        const qsizetype listed = FileSystemCore::contents(scratch.url(), false).size();
        const double listingSeconds = double(timer.nsecsElapsed()) / 1e9;
        if (listed != fileCount)
            throw Failure{QStringLiteral("Erwartet %1, erhalten %2").arg(fileCount).arg(listed)};
        print(out, QString());
        print(out, QStringLiteral("Erstellung: %1 s").arg(creationSeconds, 0, 'f', 2));
        print(out, QStringLiteral("Auflistung und Sortierung: %1 s").arg(listingSeconds, 0, 'f', 2));
        print(out, QStringLiteral("✓ Performance-Test bestanden"));
        return 0;
    } catch (const Failure& failure) {
        print(out, QString());
        print(out, QStringLiteral("✗ Performance-Test fehlgeschlagen: ") + failure.reason);
    } catch (const BrenvikError& error) {
        print(out, QString());
        print(out, QStringLiteral("✗ Performance-Test fehlgeschlagen: ") + error.description());
    }
    return 1;
}

} // namespace SelfTestRunner
