#include "support/FtpServers.h"

#include <cstdlib>

namespace {

std::optional<FtpTestServer> server(const char* portVariable)
{
    const QByteArray port = qgetenv(portVariable);
    const QByteArray root = qgetenv("BRVK_TEST_FTP_ROOT");
    if (port.isEmpty() || root.isEmpty() || !qEnvironmentVariableIsSet("BRVK_TEST_FTP_USER"))
        return std::nullopt;
    return FtpTestServer{quint16(port.toUInt()), qEnvironmentVariable("BRVK_TEST_FTP_USER"),
                         qEnvironmentVariable("BRVK_TEST_FTP_PASSWORD"), root};
}

} // namespace

RemoteProfile FtpTestServer::profile(RemoteProtocolKind kind) const
{
    RemoteProfile profile;
    profile.name = QStringLiteral("Testserver");
    profile.kind = kind;
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = port;
    profile.username = user;
    profile.timeout = 20;
    return profile;
}

namespace FtpServers {

std::optional<FtpTestServer> plain()
{
    return server("BRVK_TEST_FTP_PORT");
}

std::optional<FtpTestServer> explicitTls()
{
    auto found = server("BRVK_TEST_FTPS_PORT");
    const QByteArray certificate = qgetenv("BRVK_TEST_FTPS_CERTIFICATE");
    if (!found || certificate.isEmpty())
        return std::nullopt;
    // This machine exports its own CURL_CA_BUNDLE: it has to be replaced.
    setenv("CURL_CA_BUNDLE", certificate.constData(), 1);
    return found;
}

std::optional<FtpTestServer> crafted()
{
    return server("BRVK_TEST_FTP_CRAFTED_PORT");
}

std::optional<FtpTestServer> proftpd()
{
    const QByteArray port = qgetenv("BRVK_TEST_PROFTPD_PORT");
    const QByteArray root = qgetenv("BRVK_TEST_PROFTPD_ROOT");
    if (port.isEmpty() || root.isEmpty())
        return std::nullopt;
    return FtpTestServer{quint16(port.toUInt()), qEnvironmentVariable("BRVK_TEST_PROFTPD_USER"),
                         qEnvironmentVariable("BRVK_TEST_PROFTPD_PASSWORD"), root};
}

} // namespace FtpServers
