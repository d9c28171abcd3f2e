#include "support/CurlStandIn.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

namespace {

const char* script = R"(#!/usr/bin/python3
import os, sys, time
folder = os.path.dirname(os.path.abspath(__file__))
n = 0
while True:
    n += 1
    call = os.path.join(folder, "call-%d" % n)
    try:
        os.mkdir(call)
        break
    except FileExistsError:
        pass
def keep(name, data):
    with open(os.path.join(call, name), "wb") as f:
        f.write(data)
keep("arguments", b"\0".join(os.fsencode(a) for a in sys.argv[1:]))
keep("input", sys.stdin.buffer.read())
with open("/proc/self/environ", "rb") as f:
    keep("environment", f.read())
def given(name, default=b""):
    path = os.path.join(folder, "%s-%d" % (name, n))
    if not os.path.exists(path):
        return default
    with open(path, "rb") as f:
        return f.read()
time.sleep(float(given("delay", b"0")))
output = given("output")
if "--output" in sys.argv:
    with open(sys.argv[sys.argv.index("--output") + 1], "wb") as f:
        f.write(output)
else:
    sys.stdout.buffer.write(output)
sys.stderr.buffer.write(given("error"))
sys.exit(int(given("status", b"0")))
)";

void put(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

CurlStandIn::CurlStandIn()
{
    m_folder.write("curl", script);
    chmod(path().constData(), 0755);
}

QByteArray CurlStandIn::path() const
{
    return m_folder.file("curl").nativePath();
}

void CurlStandIn::answer(int call, const QByteArray& output, const QByteArray& error, int status) const
{
    const QString base = m_folder.url().path() + QStringLiteral("/%1-") ;
    put(base.arg(QStringLiteral("output")) + QString::number(call), output);
    put(base.arg(QStringLiteral("error")) + QString::number(call), error);
    put(base.arg(QStringLiteral("status")) + QString::number(call), QByteArray::number(status));
}

void CurlStandIn::delay(int call, double seconds) const
{
    put(m_folder.url().path() + QStringLiteral("/delay-%1").arg(call), QByteArray::number(seconds));
}

QList<CurlStandIn::Call> CurlStandIn::calls() const
{
    QList<Call> calls;
    for (int n = 1;; ++n) {
        const QString folder = m_folder.url().path() + QStringLiteral("/call-%1/").arg(n);
        if (!QDir(folder).exists())
            return calls;
        const QByteArray arguments = contentsOf(folder + QStringLiteral("arguments"));
        calls.append(Call{arguments.isEmpty() ? QList<QByteArray>() : arguments.split('\0'),
                          contentsOf(folder + QStringLiteral("input")),
                          contentsOf(folder + QStringLiteral("environment")).split('\0')});
    }
}
