#pragma once

#include "core/BrenvikError.h"

// Why a reachability check of server and port failed.
class NetworkProbeError : public BrenvikError {
public:
    enum class Kind { failed, invalidEndpoint, timeout, noSSHBanner };

    // `message` is the network layer's own description of the failure.
    static NetworkProbeError failed(const QString& message);
    static NetworkProbeError invalidEndpoint();
    static NetworkProbeError timeout();
    static NetworkProbeError noSSHBanner();

    Kind kind() const noexcept { return m_kind; }

private:
    NetworkProbeError(Kind kind, const QString& description);
    Kind m_kind;
};
