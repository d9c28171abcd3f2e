#include "platform/TemporaryDirectory.h"

#include <cstdlib>

QByteArray temporaryDirectory()
{
    const char* value = std::getenv("TMPDIR");
    QByteArray path = value && *value ? QByteArray(value) : QByteArrayLiteral("/tmp");
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}
