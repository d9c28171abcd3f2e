#pragma once

#include "remote/CredentialStore.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "support/SecretService.h"
#include "support/SftpServer.h"

#include <gtest/gtest.h>

// Tests against the loopback OpenSSH server, logging in the way users do: the
// password lies in the (private) keychain and reaches sftp only through the
// real executable in its askpass mode.
class SftpFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<SftpTestServer> found = SftpServer::local();
        if (!found)
            GTEST_SKIP() << SftpServer::missingMessage;
        SKIP_WITHOUT_PRIVATE_SECRET_SERVICE();
        server = *found;
        profile = server.profile();
        CredentialStore::forApplication().save(server.password, profile.id);
        m_stored = true;
    }

    void TearDown() override
    {
        if (m_stored)
            CredentialStore::forApplication().remove(profile.id);
    }

    static SftpTools tools()
    {
        SftpTools tools;
        tools.askpass = BRENVIK_EXECUTABLE;
        return tools;
    }

    std::unique_ptr<OpenSSHSFTPTransport> transport() const
    {
        return std::make_unique<OpenSSHSFTPTransport>(profile, tools());
    }

    SftpTestServer server;
    RemoteProfile profile;

private:
    bool m_stored = false;
};
