#include "panels/RemoteJob.h"

#include "core/ByteCount.h"
#include "core/FutureOutcome.h"
#include "ui/Interaction.h"
#include "ui/OperationAlerts.h"
#include "ui/OperationProgressController.h"
#include "ui/ProgressFigures.h"

#include <QCoreApplication>
#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Transfers wait for the network, not the processor: several may wait at once.
QThreadPool& workers()
{
    static QThreadPool pool;
    pool.setMaxThreadCount(16);
    return pool;
}

// Runs `call` on the GUI thread; the job thread waits only when asked to.
void onGuiThread(std::function<void()> call, bool waiting)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    if (application->thread() == QThread::currentThread())
        return call();
    QMetaObject::invokeMethod(application, std::move(call),
                              waiting ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

} // namespace

RemoteJob::RemoteJob(QObject* owner, Interaction& interaction) : QObject(owner), m_interaction(interaction) {}

RemoteJob::~RemoteJob()
{
    *m_stop = true;
    if (m_progress)
        m_progress->close();
}

RemoteJob* RemoteJob::open(QObject* owner, Interaction& interaction, const QString& title, qsizetype total,
                           const QList<FileUrl>& sources)
{
    auto* job = new RemoteJob(owner, interaction);
    QWidget* window = qobject_cast<QWidget*>(owner) ? qobject_cast<QWidget*>(owner)->window() : nullptr;
    job->m_progress = new OperationProgressController(title, total, sources, window);
    job->m_progress->onCancel = [stop = job->m_stop] { *stop = true; };
    job->m_progress->show();
    return job;
}

void RemoteJob::start(std::function<void()> work)
{
    workers().start(std::move(work));
}

void RemoteJob::run(std::function<void(const Context&)> work, std::function<void(const Outcome&)> done)
{
    const QPointer<RemoteJob> self(this);
    Context context;
    context.token = CancellationToken([stop = m_stop] { return stop->load(); });
    context.report = [self](const RemoteTransfers::Event& event) {
        onGuiThread([self, event] {
            if (self)
                self->show(event);
        }, false);
    };
    context.callbacks.progress = context.report;
    context.callbacks.token = context.token;
    context.callbacks.conflict = [self](const FileUrl& source, const RemoteEntry& existing, const QString& target) {
        RemoteTransfers::ConflictDecision decision; // cancel, unless the user answers
        onGuiThread([&] {
            if (self)
                decision = self->askConflict(source, existing, target);
        }, true);
        return decision;
    };

    QFuture<void> task = QtConcurrent::run(&workers(), [work = std::move(work), context](QPromise<void>& promise) {
        try {
            work(context);
        } catch (...) {
            promise.setException(std::current_exception());
        }
    });
    whenFinished(this, task, [this, done = std::move(done)](QFuture<void> finished) {
        Outcome outcome;
        outcome.error = errorOf(finished);
        outcome.cancelled = outcome.error && outcome.error->typeName() == CancellationError().typeName();
        if (outcome.cancelled)
            outcome.error.reset();
        if (outcome.error) {
            if (m_progress)
                m_progress->close();
            m_interaction.showError(*outcome.error);
        } else if (m_progress) {
            m_progress->finish(outcome.cancelled ? QStringLiteral("Vorgang abgebrochen")
                                                 : QStringLiteral("Vorgang abgeschlossen"));
        }
        m_progress = nullptr; // it closes itself now
        done(outcome);
        deleteLater();
    });
}

void RemoteJob::show(const RemoteTransfers::Event& event)
{
    if (event.kind != RemoteTransfers::Event::Kind::done)
        m_lastName = event.name;
    if (m_progress)
        m_progress->update(event.index, event.total,
                           event.kind == RemoteTransfers::Event::Kind::done && event.index == event.total
                               ? QStringLiteral("Fertig")
                               : m_lastName);
    if (m_onEvent)
        m_onEvent(event);
}

RemoteTransfers::ConflictDecision RemoteJob::askConflict(const FileUrl& source, const RemoteEntry& existing,
                                                         const QString& targetPath)
{
    AlertRequest request = OperationAlerts::conflict(source, source);
    const std::optional<qint64> sourceSize = ProgressFigures::fileSize(source);
    const auto sizeText = [](std::optional<qint64> size) {
        return size ? ByteCount::text(*size) : QStringLiteral("—");
    };
    request.informativeText = QStringLiteral("Quelle: %1 (%2)\nZiel: %3 (%4)")
                                  .arg(source.fileName(), sizeText(sourceSize), targetPath,
                                       sizeText(existing.isDirectory ? std::nullopt : existing.size));
    return OperationAlerts::conflictDecision(m_interaction.runAlert(request));
}
