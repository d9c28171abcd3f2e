#include "support/LoopbackListener.h"

#include <QList>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
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
    if (::listen(m_socket, 16) != 0)
        throw std::runtime_error("cannot listen on loopback");
    if (m_greeting.isEmpty())
        return;
    // Serves until the destructor shuts the socket down, which ends accept().
    m_server = std::thread([this] {
        QList<int> clients;
        for (;;) {
            const int client = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                (void)::send(client, m_greeting.constData(), size_t(m_greeting.size()), MSG_NOSIGNAL);
                clients.append(client);
            } else if (errno != ECONNABORTED && errno != EINTR) {
                break;
            }
        }
        for (int client : clients)
            ::close(client);
    });
}

LoopbackListener::~LoopbackListener()
{
    ::shutdown(m_socket, SHUT_RDWR);
    if (m_server.joinable())
        m_server.join();
    ::close(m_socket);
}

quint16 LoopbackListener::closedPort()
{
    quint16 port = 0;
    ::close(boundSocket(port));
    return port;
}
