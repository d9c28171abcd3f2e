#pragma once

#include <QByteArray>
#include <thread>

// A TCP listener on 127.0.0.1 with a port the system chose. With a greeting,
// every client gets it right after connecting; without one, connections are
// taken (by the kernel) and never answered — a silent host on loopback.
class LoopbackListener {
public:
    explicit LoopbackListener(QByteArray greeting = {});
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    quint16 port() const { return m_port; }

    // A loopback port nothing listens on: connecting is refused at once.
    static quint16 closedPort();

private:
    QByteArray m_greeting;
    int m_socket = -1;
    quint16 m_port = 0;
    std::thread m_server;
};
