#include "support/FtpServers.h"

#include <cstdlib>

namespace {

std::optional<FtpTestServer> server(const char* port, const char* root = "BRVK_TEST_FTP_ROOT",
                                    const char* user = "BRVK_TEST_FTP_USER", const char* password = "BRVK_TEST_FTP_PASSWORD")
{
    if (qEnvironmentVariableIsEmpty(port) || qEnvironmentVariableIsEmpty(root) || !qEnvironmentVariableIsSet(user))
        return std::nullopt;
    return FtpTestServer{quint16(qEnvironmentVariableIntValue(port)), qEnvironmentVariable(user),
                         qEnvironmentVariable(password), qgetenv(root)};
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
    const QByteArray certificate = qgetenv("BRVK_TEST_FTPS_CERTIFICATE");
    if (certificate.isEmpty())
        return std::nullopt;
    // This machine exports its own CURL_CA_BUNDLE: it has to be replaced.
    setenv("CURL_CA_BUNDLE", certificate.constData(), 1);
    return server("BRVK_TEST_FTPS_PORT");
}

std::optional<FtpTestServer> crafted()
{
    return server("BRVK_TEST_FTP_CRAFTED_PORT");
}

std::optional<FtpTestServer> proftpd()
{
    return server("BRVK_TEST_PROFTPD_PORT", "BRVK_TEST_PROFTPD_ROOT", "BRVK_TEST_PROFTPD_USER",
                  "BRVK_TEST_PROFTPD_PASSWORD");
}

} // namespace FtpServers
