#include "diagnostics/DiagnosticsStore.h"

#include "platform/PlatformTexts.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QSysInfo>
#include <QThread>
#include <unistd.h>

namespace {

QString scrubPaths(QString message)
{
    // A run of "/" followed by anything but white space or a colon: file paths,
    // and the host part of URLs, so no name leaves the machine in an export.
    // White space in the Unicode sense: a no-break space ends a path as well.
    static const QRegularExpression pathLike(QStringLiteral("(?:/[^\\s:]+)+"),
                                             QRegularExpression::UseUnicodePropertiesOption);
    return message.replace(pathLike, QStringLiteral("<Pfad entfernt>"));
}

qint64 physicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * qint64(pageSize) : 0;
}

long processorCount()
{
    const long count = sysconf(_SC_NPROCESSORS_CONF);
    return count > 0 ? count : 1;
}

} // namespace

DiagnosticsStore::DiagnosticsStore(Clock clock) : m_clock(std::move(clock)) {}

DiagnosticsStore& DiagnosticsStore::shared()
{
    static DiagnosticsStore store;
    return store;
}

void DiagnosticsStore::record(const QString& category, const QString& message)
{
    Q_ASSERT_X(!QCoreApplication::instance() || QThread::currentThread() == QCoreApplication::instance()->thread(),
               "DiagnosticsStore::record", "the diagnostics log belongs to the GUI thread");
    m_events.append(DiagnosticEvent{m_clock(), category, scrubPaths(message)});
    if (m_events.size() > maximumEvents)
        m_events.remove(0, m_events.size() - maximumEvents);
}

QString DiagnosticsStore::report() const
{
    QStringList lines{
        QStringLiteral("Brenvik Diagnose"),
        QStringLiteral("Version: 1.0.0"),
        PlatformTexts::localized(QStringLiteral("macOS: ")) + QSysInfo::prettyProductName(),
        QStringLiteral("Prozessoren: ") + QString::number(processorCount()),
        QStringLiteral("Arbeitsspeicher: ")
            + QLocale().formattedDataSize(physicalMemoryBytes(), 2, QLocale::DataSizeIecFormat),
        QStringLiteral("Netzwerkübertragung: keine"),
        QStringLiteral("Telemetrie: deaktiviert"),
        QString(),
    };
    for (const DiagnosticEvent& event : m_events) {
        // Qt::ISODate leaves out milliseconds and writes "Z" for UTC.
        const QDateTime utc = event.timestamp.toUTC();
        lines.append(utc.toString(Qt::ISODate) + QStringLiteral(" [") + event.category + QStringLiteral("] ")
                     + event.message);
    }
    return lines.join(QLatin1Char('\n'));
}
