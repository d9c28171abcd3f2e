#include "platform/DefaultApplication.h"

#include "platform/ChildProcess.h"

#include <QFile>
#include <QMimeDatabase>
#include <chrono>
#include <unistd.h>

namespace DefaultApplication {

bool existsFor(const QByteArray& path, const QByteArray& xdgMime)
{
    if (::access(xdgMime.constData(), X_OK) != 0)
        return true;
    const QString type = QMimeDatabase().mimeTypeForFile(QFile::decodeName(path)).name();
    try {
        ChildProcess query(xdgMime, {"query", "default", type.toUtf8()});
        const ChildProcessResult result = query.runToCompletion({}, std::chrono::seconds(5));
        return result.timedOut || result.exitStatus != 0 || !result.standardOutput.trimmed().isEmpty();
    } catch (const std::exception&) {
        return true;
    }
}

} // namespace DefaultApplication
