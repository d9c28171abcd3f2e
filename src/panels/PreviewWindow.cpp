#include "panels/PreviewWindow.h"

#include "core/ByteCount.h"

#include "panels/FileTextFormatter.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An open regular file (links followed); FIFOs and devices are never opened for reading.
class RegularFile {
public:
    explicit RegularFile(const FileUrl& url)
        : m_fd(open(url.nativePath().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK))
    {
        struct stat st;
        if (m_fd >= 0 && fstat(m_fd, &st) == 0 && S_ISREG(st.st_mode))
            m_size = qint64(st.st_size);
    }
    ~RegularFile()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    std::optional<qint64> size() const { return m_size; }

    // Up to `limit` bytes from the start.
    QByteArray readStart(qint64 limit) const
    {
        QByteArray bytes(limit, Qt::Uninitialized);
        qint64 done = 0;
        while (done < limit) {
            const ssize_t got = pread(m_fd, bytes.data() + done, size_t(limit - done), off_t(done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += got;
        }
        bytes.truncate(done);
        return bytes;
    }

private:
    int m_fd;
    std::optional<qint64> m_size;
};

// Whether the start of the file names an image format Qt can read.
bool looksLikeImage(const QByteArray& head)
{
    QBuffer buffer;
    buffer.setData(head);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).canRead();
}

std::optional<QImage> decodeImage(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return std::nullopt;
    const QSize size = reader.size();
    const int side = PreviewContent::largestImageSide;
    if (size.isValid() && (size.width() > side || size.height() > side))
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}

// Drops a UTF-8 sequence cut off by the end of the read.
void dropIncompleteTail(QByteArray& bytes)
{
    qsizetype lead = bytes.size() - 1;
    int continuation = 0;
    while (lead >= 0 && continuation < 3 && (uchar(bytes[lead]) & 0xC0) == 0x80) {
        --lead;
        ++continuation;
    }
    if (lead < 0)
        return;
    const uchar first = uchar(bytes[lead]);
    const int length = (first & 0xE0) == 0xC0 ? 2 : (first & 0xF0) == 0xE0 ? 3 : (first & 0xF8) == 0xF0 ? 4 : 1;
    if (continuation + 1 < length)
        bytes.truncate(lead);
}

// Text is UTF-8 without NUL bytes.
std::optional<QString> decodeText(QByteArray bytes, bool truncated)
{
    if (bytes.contains('\0'))
        return std::nullopt;
    if (truncated)
        dropIncompleteTail(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

PreviewContent PreviewContent::load(const FileUrl& url)
{
    PreviewContent content;
    content.name = url.fileName();
    content.summary = content.name;
    const RegularFile file(url);
    const std::optional<qint64> size = file.size();
    if (!size)
        return content;
    content.summary += QLatin1Char('\n') + ByteCount::text(*size);

    const QByteArray head = file.readStart(textBytes);
    if (*size <= largestImageBytes && looksLikeImage(head)) {
        if (const auto image = decodeImage(file.readStart(*size))) {
            content.kind = Kind::image;
            content.image = *image;
            return content;
        }
    }
    if (const auto text = decodeText(head, *size > textBytes)) {
        content.kind = Kind::text;
        content.text = *text;
    }
    return content;
}

PreviewWindow::PreviewWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_pages(new QStackedWidget), m_image(new QLabel), m_text(new QPlainTextEdit),
      m_summary(new QLabel), m_caption(new QLabel)
{
    resize(520, 420);
    m_image->setAlignment(Qt::AlignCenter);
    m_text->setReadOnly(true);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_summary->setAlignment(Qt::AlignCenter);
    m_summary->setTextFormat(Qt::PlainText);
    m_caption->setTextFormat(Qt::PlainText);
    m_pages->addWidget(m_image);
    m_pages->addWidget(m_text);
    m_pages->addWidget(m_summary);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_caption);
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    connect(&m_loader, &QFutureWatcherBase::finished, this, [this] {
        if (!m_loader.isCanceled())
            present(m_loader.result());
    });
}

PreviewWindow::~PreviewWindow()
{
    m_loader.waitForFinished();
}

void PreviewWindow::showEntry(const FileUrl& url)
{
    m_entry = url;
    m_content.reset();
    setWindowTitle(url.fileName());
    m_caption->setText(url.path());
    m_summary->setText(url.fileName());
    m_pages->setCurrentWidget(m_summary);
    m_loader.setFuture(QtConcurrent::run([url] { return PreviewContent::load(url); }));
    show();
    raise();
}

void PreviewWindow::present(const PreviewContent& content)
{
    m_content = content;
    switch (content.kind) {
    case PreviewContent::Kind::image:
        m_image->setPixmap(QPixmap::fromImage(content.image.scaled(
            m_pages->size().boundedTo(content.image.size()), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        m_pages->setCurrentWidget(m_image);
        break;
    case PreviewContent::Kind::text:
        m_text->setPlainText(content.text);
        m_pages->setCurrentWidget(m_text);
        break;
    case PreviewContent::Kind::summary:
        m_summary->setText(content.summary);
        m_pages->setCurrentWidget(m_summary);
        break;
    }
    Q_EMIT contentShown();
}
