#include "archive/ArchiveProvider.h"

#include "archive/ArchiveError.h"
#include "archive/ArchiveListing.h"
#include "archive/ArchiveListingCheck.h"
#include "archive/ArchiveStaging.h"
#include "core/CancellationToken.h"
#include "platform/ChildProcess.h"
#include "core/SystemError.h"

#include <QPromise>
#include <QStringDecoder>
#include <QtConcurrent>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// More of a tool's complaints than fits on a screen helps nobody and would
// stall the alert that shows them.
constexpr qsizetype maximumToolText = 2000;

// Names inside the private folder; they never reach the user.
const QByteArray packedName = QByteArrayLiteral("archive");
const QByteArray unpackedName = QByteArrayLiteral("contents");
// unzip reads its archive argument as a wildcard pattern (and tries ".zip"
// suffixes): it is given a link with a plain name instead.
const QByteArray zipLinkName = QByteArrayLiteral("archive.zip");

const QStringList tarSuffixes{QStringLiteral(".tar.gz"), QStringLiteral(".tar.bz2"), QStringLiteral(".tar.xz"),
                              QStringLiteral(".tgz"),    QStringLiteral(".tbz2"),    QStringLiteral(".txz"),
                              QStringLiteral(".tar")};

struct ToolCall {
    QByteArray program;
    QList<QByteArray> arguments;
    QByteArray workingDirectory;
    ChildProcess::Environment environment;
};

ChildProcessResult execute(const ToolCall& call, const CancellationToken& token)
{
    ChildProcess process(call.program, call.arguments, call.environment);
    // No terminal to ask a password on, and cancelling ends the helpers too (tar's gzip).
    process.setOwnSession(true);
    process.setWorkingDirectory(call.workingDirectory);
    ChildProcessResult result = process.runToCompletion({}, std::nullopt, {[&token] { return token.isCancelled(); }});
    if (result.stopped)
        throw CancellationError();
    return result;
}

bool succeeded(const ChildProcessResult& result)
{
    return result.exitStatus == 0 && result.terminationSignal == 0;
}

QString statusText(const ChildProcessResult& result)
{
    return QStringLiteral("Status ") + QString::number(result.exitStatus);
}

// The tool's complaint as it wrote it, or its status when that is no UTF-8.
void run(const ToolCall& call, const CancellationToken& token)
{
    const ChildProcessResult result = execute(call, token);
    if (succeeded(result))
        return;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(result.standardError);
    if (decoder.hasError())
        text = statusText(result);
    if (text.size() > maximumToolText)
        text = text.left(maximumToolText) + QStringLiteral(" …");
    throw ArchiveError::toolFailed(text);
}

QByteArray output(const ToolCall& call, const CancellationToken& token)
{
    const ChildProcessResult result = execute(call, token);
    if (!succeeded(result))
        throw ArchiveError::toolFailed(statusText(result));
    return result.standardOutput;
}

// The sources' folder; the sources go to the tool by their plain names.
FileUrl commonFolder(const QList<FileUrl>& sources, QList<QByteArray>& names)
{
    if (sources.isEmpty() || !sources.constFirst().isLocal())
        throw ArchiveError::unsupported();
    const FileUrl folder = sources.constFirst().parent();
    for (const FileUrl& source : sources) {
        if (!source.isLocal() || source.parent() != folder)
            throw ArchiveError::unsupported();
        names.append(source.nativeFileName());
    }
    return folder;
}

void makeFolder(const FileUrl& folder)
{
    if (::mkdir(folder.nativePath().constData(), 0777) != 0)
        throw SystemError(errno, folder.nativePath());
}

void checkFreeSpace(const ArchiveStaging& staging, const QList<ArchiveEntry>& entries)
{
    const qint64 needed = ArchiveListing::unpackedSize(entries);
    const qint64 available = staging.availableBytes();
    if (needed > available)
        throw ArchiveError::notEnoughSpace(needed, available);
}

template <typename Work>
QFuture<FileUrl> submit(QThreadPool& pool, const std::atomic_bool& stopping, Work work)
{
    return QtConcurrent::run(&pool, [&stopping, work = std::move(work)](QPromise<FileUrl>& promise) {
        const CancellationToken token([&] { return promise.isCanceled() || stopping.load(); });
        try {
            token.throwIfCancelled();
            promise.addResult(work(token));
        } catch (const CancellationError&) {
            promise.future().cancel();
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
}

} // namespace

ArchiveProvider::ArchiveProvider(ArchiveTools tools) : m_tools(std::move(tools))
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

ArchiveProvider::~ArchiveProvider()
{
    m_stopping = true;
    m_pool.waitForDone();
}

qsizetype ArchiveProvider::tarSuffixLength(const QString& fileName)
{
    for (const QString& suffix : tarSuffixes)
        if (fileName.endsWith(suffix, Qt::CaseInsensitive))
            return suffix.size();
    return 0;
}

QList<QByteArray> ArchiveProvider::unzipArguments(const QByteArray& archive, const QByteArray& folder)
{
    return {"-q", archive, "-d", folder};
}

// Neither the archive's owners nor its set-id bits: as root, tar would restore both.
QList<QByteArray> ArchiveProvider::untarArguments(const QByteArray& archive, const QByteArray& folder)
{
    return {"--no-same-owner", "--no-same-permissions", "--force-local", "-xf", archive, "-C", folder};
}

QFuture<FileUrl> ArchiveProvider::createZIP(QList<FileUrl> sources, FileUrl destination)
{
    return submit(m_pool, m_stopping, [zip = m_tools.zip, sources, destination](const CancellationToken& token) {
        QList<QByteArray> names;
        const FileUrl folder = commonFolder(sources, names);
        const ArchiveStaging staging(destination.parent());
        const QByteArray archive = packedName + ".zip"; // without a suffix zip would add one
        // -y stores links as links: a link to "/" or a loop never reaches the archive's contents.
        // -nw: a name with "*" or "?" means that entry, never a pattern.
        run({zip, QList<QByteArray>{"-r", "-q", "-y", "-nw", staging.entry(archive).nativePath(), "--"} + names,
             folder.nativePath(), {}},
            token);
        return staging.publish(archive, destination);
    });
}

QFuture<FileUrl> ArchiveProvider::createTarGZ(QList<FileUrl> sources, FileUrl destination)
{
    return submit(m_pool, m_stopping, [tar = m_tools.tar, sources, destination](const CancellationToken& token) {
        QList<QByteArray> names;
        const FileUrl folder = commonFolder(sources, names);
        const ArchiveStaging staging(destination.parent());
        run({tar, QList<QByteArray>{"--force-local", "-czf", staging.entry(packedName).nativePath(), "--"} + names,
             folder.nativePath(), {}},
            token);
        return staging.publish(packedName, destination);
    });
}

QFuture<FileUrl> ArchiveProvider::extractZIP(FileUrl archive, FileUrl destination)
{
    return submit(m_pool, m_stopping, [unzip = m_tools.unzip, archive, destination](const CancellationToken& token) {
        if (archive.pathExtension().toLower() != QLatin1String("zip") || !archive.isLocal())
            throw ArchiveError::unsupported();
        const ArchiveStaging staging(destination.parent());
        const QByteArray link = staging.entry(zipLinkName).nativePath();
        if (::symlink(archive.nativePath().constData(), link.constData()) != 0)
            throw SystemError(errno, staging.entry(zipLinkName).parent().nativePath());

        ArchiveListingCheck::checkZipListing(output({unzip, {"-Z1", link}, {}, {}}, token));
        const QList<ArchiveEntry> entries =
            ArchiveListing::parseZipShort(output({unzip, {"-Z", "-s", link, "*"}, {}, {}}, token));
        ArchiveListingCheck::checkZipEntryTypes(entries);
        checkFreeSpace(staging, entries);

        makeFolder(staging.entry(unpackedName));
        run({unzip, unzipArguments(link, staging.entry(unpackedName).nativePath()), {}, {}}, token);
        return staging.publish(unpackedName, destination);
    });
}

QFuture<FileUrl> ArchiveProvider::extractTar(FileUrl archive, FileUrl destination)
{
    return submit(m_pool, m_stopping, [tar = m_tools.tar, archive, destination](const CancellationToken& token) {
        if (tarSuffixLength(archive.fileName()) == 0 || !archive.isLocal())
            throw ArchiveError::unsupported();
        const ArchiveStaging staging(destination.parent());

        // Quoted names keep every entry on one line and every byte of its name;
        // -P shows names and link targets as stored, before tar's own clean-up.
        const QByteArray listing = output({tar,
                                           {"--quoting-style=c", "--numeric-owner", "--force-local", "-P", "-tvf",
                                            archive.nativePath()},
                                           {},
                                           {{"LC_ALL", "C"}}},
                                          token);
        const QList<ArchiveEntry> entries = ArchiveListing::parseTarVerbose(listing);
        ArchiveListingCheck::checkTarEntries(entries);
        checkFreeSpace(staging, entries);

        makeFolder(staging.entry(unpackedName));
        run({tar, untarArguments(archive.nativePath(), staging.entry(unpackedName).nativePath()), {}, {}}, token);
        return staging.publish(unpackedName, destination);
    });
}
