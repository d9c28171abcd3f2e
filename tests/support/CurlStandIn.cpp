#include "support/CurlStandIn.h"

#include <QFile>
#include <sys/stat.h>

namespace {

const char* script = R"(#!/usr/bin/python3
import os, sys, time
folder = os.path.dirname(os.path.abspath(__file__))
n = 1
while True:
    try:
        os.mkdir(os.path.join(folder, "call-%d" % n))
        break
    except FileExistsError:
        n += 1
def given(name, default=b""):
    path = os.path.join(folder, "%s-%d" % (name, n))
    return open(path, "rb").read() if os.path.exists(path) else default
sys.stdin.buffer.read()
open(os.path.join(folder, "call-%d" % n, "arguments"), "wb").write(b"\0".join(os.fsencode(a) for a in sys.argv[1:]))
time.sleep(float(given("delay", b"0")))
out = open(sys.argv[sys.argv.index("--output") + 1], "wb") if "--output" in sys.argv else sys.stdout.buffer
out.write(given("output"))
out.flush()
sys.stderr.buffer.write(given("error"))
sys.exit(int(given("status", b"0")))
)";

} // namespace

CurlStandIn::CurlStandIn()
{
    m_folder.write("curl", script);
    chmod(path().constData(), 0755);
}

void CurlStandIn::answer(int call, const QByteArray& output, const QByteArray& error, int status) const
{
    const QByteArray n = QByteArray::number(call);
    m_folder.write("output-" + n, output);
    m_folder.write("error-" + n, error);
    m_folder.write("status-" + n, QByteArray::number(status));
}

void CurlStandIn::delay(int call, double seconds) const
{
    m_folder.write("delay-" + QByteArray::number(call), QByteArray::number(seconds));
}

QList<CurlStandIn::Call> CurlStandIn::calls() const
{
    QList<Call> calls;
    for (int n = 1;; ++n) {
        QFile arguments(m_folder.file("call-" + QByteArray::number(n) + "/arguments").path());
        if (!arguments.open(QIODevice::ReadOnly))
            return calls;
        const QByteArray all = arguments.readAll();
        calls.append(Call{all.isEmpty() ? QList<QByteArray>() : all.split('\0')});
    }
}
