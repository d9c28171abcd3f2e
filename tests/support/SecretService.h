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
