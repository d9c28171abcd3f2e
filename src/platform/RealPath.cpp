#include "platform/RealPath.h"

#include "core/SystemError.h"

#include <cerrno>
#include <cstdlib>

QByteArray realPath(const QByteArray& path)
{
    char* resolved = realpath(path.constData(), nullptr);
    if (!resolved)
        throw SystemError(errno, path);
    QByteArray result(resolved);
    free(resolved);
    return result;
}
