#include "tools/ChecksumEngine.h"

#include "core/SystemError.h"
#include "tools/RegularFile.h"

#include <QStringList>
#include <cerrno>
#include <memory>
#include <openssl/evp.h>
#include <unistd.h>

namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

} // namespace

QFuture<QList<ChecksumEngine::Result>> ChecksumEngine::sha256(QList<FileUrl> urls)
{
    return m_executor.run<QList<Result>>(
        [urls = std::move(urls)](const CancellationToken& token) { return sha256Now(urls, token); });
}

QList<ChecksumEngine::Result> ChecksumEngine::sha256Now(const QList<FileUrl>& urls, const CancellationToken& token)
{
    QList<Result> results;
    for (const FileUrl& url : urls) {
        token.throwIfCancelled();
        results.append({url, sha256Of(url, token)});
    }
    return results;
}

QString ChecksumEngine::sha256Of(const FileUrl& url, const CancellationToken& token)
{
    const QByteArray& path = url.nativePath();
    std::optional<RegularFile::Opened> file = RegularFile::open(AT_FDCWD, path.constData(), path);
    if (!file)
        throw NotRegularFileError(path);
    const std::unique_ptr<EVP_MD_CTX, DigestContextFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        throw SystemError(ENOMEM, path);
    token.throwIfCancelled();
    const std::unique_ptr<char[]> block = std::make_unique<char[]>(blockSize);
    for (;;) {
        const ssize_t count = ::read(file->fd.get(), block.get(), blockSize);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            throw SystemError(errno, path);
        }
        if (count == 0)
            break;
        EVP_DigestUpdate(context.get(), block.get(), std::size_t(count));
        token.throwIfCancelled();
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

QString ChecksumEngine::clipboardText(const QList<Result>& results)
{
    QStringList lines;
    for (const Result& result : results)
        lines.append(result.digest + QStringLiteral("  ") + result.url.fileName());
    return lines.join(u'\n');
}
