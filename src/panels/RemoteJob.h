#pragma once

#include "core/BrenvikError.h"
#include "core/CancellationToken.h"
#include "panels/RemoteTransfers.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class Interaction;
class OperationProgressController;

// One long piece of remote work of a panel: it runs on a worker thread of its
// own (waiting for the providers there, never on the GUI thread), shows its
// progress window, asks conflicts on the GUI thread, and reports its end on
// the GUI thread while its owner (the panel) still exists. Destroying the
// owner stops the work at the next entry; nothing reaches the owner after it.
class RemoteJob : public QObject {
    Q_OBJECT

public:
    struct Context {
        CancellationToken token;
        std::function<void(const RemoteTransfers::Event&)> report;
        RemoteTransfers::Callbacks callbacks;
    };
    struct Outcome {
        std::optional<BrenvikError> error; // shown to the user already
        bool cancelled = false;
    };

    // The progress window shows `total` top-level entries; byte figures when
    // `sources` are local entries.
    static RemoteJob* open(QObject* owner, Interaction& interaction, const QString& title, qsizetype total,
                           const QList<FileUrl>& sources);
    ~RemoteJob() override;

    // Called on the GUI thread for each step (status lines of the panels).
    void onEvent(std::function<void(const RemoteTransfers::Event&)> handler) { m_onEvent = std::move(handler); }
    // Starts `work`; `done` follows on the GUI thread after the progress window
    // has its final message, or after the error alert.
    void run(std::function<void(const Context&)> work, std::function<void(const Outcome&)> done);

    // Work that needs no answer, on the same worker threads.
    static void start(std::function<void()> work);

private:
    RemoteJob(QObject* owner, Interaction& interaction);
    RemoteTransfers::ConflictDecision askConflict(const FileUrl& source, const RemoteEntry& existing,
                                                  const QString& targetPath);
    void show(const RemoteTransfers::Event& event);

    Interaction& m_interaction;
    QPointer<OperationProgressController> m_progress;
    std::shared_ptr<std::atomic_bool> m_stop = std::make_shared<std::atomic_bool>(false);
    std::function<void(const RemoteTransfers::Event&)> m_onEvent;
    QString m_lastName;
};
