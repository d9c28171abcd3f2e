#pragma once

#include <QProcessEnvironment>

// The throw-away Secret Service that scripts/services/secret-service.sh runs for
// the tests. Only a bus that the wrapper announced counts, so a test run inside
// a desktop session never reaches the user's own keyring.
bool privateSecretServiceReachable();

#define SKIP_WITHOUT_PRIVATE_SECRET_SERVICE()                                                                  \
    do {                                                                                                       \
        if (!privateSecretServiceReachable())                                                                  \
            GTEST_SKIP() << "No private Secret Service on the session bus; "                                   \
                            "run the tests through scripts/services/secret-service.sh";                        \
    } while (false)

// The current environment with a session bus address that leads nowhere: every
// keychain access fails as on a machine without a Secret Service.
QProcessEnvironment environmentWithoutSecretService();

// For tests that need a keychain that fails: true inside the child that
// runTestsWithoutSecretService starts.
bool insideRunWithoutSecretService();
// Runs the tests matching `gtestFilter` again in a child of this executable
// whose session bus leads nowhere (the keychain library keeps its first bus
// connection for the life of a process) and fails unless exactly one passes.
void runTestWithoutSecretService(const QString& gtestFilter);
