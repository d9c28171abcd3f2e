#include "support/LoopbackListener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A socket bound to 127.0.0.1 on a free port; its port through `port`.
int boundSocket(quint16& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no loopback socket");
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

LoopbackListener::LoopbackListener(QByteArray greeting) : m_greeting(std::move(greeting))
{
    m_socket = boundSocket(m_port);
    if (::listen(m_socket, 16) != 0 || pipe2(m_wake, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot listen on loopback");
    if (!m_greeting.isEmpty())
        m_server = std::thread([this] { serve(); });
}

LoopbackListener::~LoopbackListener()
{
    if (m_server.joinable()) {
        const char wake = 1;
        (void)::write(m_wake[1], &wake, 1);
        m_server.join();
    }
    for (int fd : {m_socket, m_wake[0], m_wake[1]})
        ::close(fd);
}

void LoopbackListener::serve()
{
    QList<int> clients;
    for (;;) {
        pollfd watched[2] = {{m_wake[0], POLLIN, 0}, {m_socket, POLLIN, 0}};
        if (poll(watched, 2, -1) < 0 || watched[0].revents != 0)
            break;
        const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        (void)::write(client, m_greeting.constData(), size_t(m_greeting.size()));
        clients.append(client);
    }
    for (int client : clients)
        ::close(client);
}

quint16 LoopbackListener::closedPort()
{
    quint16 port = 0;
    ::close(boundSocket(port));
    return port;
}
