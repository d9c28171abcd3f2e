// Parses an FTP LIST output the way the curl provider does (UTF-8 decoding,
// FtpListing::parse with its sort) and prints the entry count. With --repeat N
// it parses N times and prints the median parse time in milliseconds as well.
#include "remote/FtpListing.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    const int repeat = argc > 3 && std::strcmp(argv[2], "--repeat") == 0 ? std::atoi(argv[3]) : 1;

    std::vector<double> milliseconds;
    qsizetype count = 0;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        count = FtpListing::parse(QString::fromUtf8(bytes)).size();
        milliseconds.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    if (repeat > 1)
        std::printf("%lld Einträge, Parsen im Median %.1f ms\n", static_cast<long long>(count),
                    milliseconds[milliseconds.size() / 2]);
    else
        std::printf("%lld\n", static_cast<long long>(count));
    return 0;
}
