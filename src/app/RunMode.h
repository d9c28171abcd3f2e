#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What one start of the executable does, decided from the environment and the
// command line before anything else exists.
struct RunMode {
    enum class Kind { askpass, selfTest, sftpIntegrationTest, sftpTimeoutTest, performanceTest, windowed };

    Kind kind = Kind::windowed;
    QString argument; // askpass: the profile id text; SFTP integration: the fingerprint

    static constexpr const char* askpassVariable = "BRVK_SFTP_ASKPASS_PROFILE";

    // `askpassProfile` is the value of the askpass variable when it is set at all
    // (even empty); `arguments` includes the program path.
    static RunMode decide(const std::optional<QString>& askpassProfile, const QStringList& arguments);
};
