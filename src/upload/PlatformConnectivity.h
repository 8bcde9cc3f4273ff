#pragma once

#include "upload/Connectivity.h"

namespace upload {

/// The operating system's view: the network reachability where Qt has a backend for this
/// platform, otherwise any running interface other than loopback that has an address.
class PlatformConnectivity : public Connectivity {
public:
    /// Loads the platform's reachability backend once, if there is one.
    PlatformConnectivity();

    /// True when reachability is at least "local network", or, without a backend or while it
    /// does not know, when a non-loopback interface is up with an address.
    bool isWebConnected() override;

    /// True when some running interface other than loopback has an address.
    static bool anyInterfaceUp();

private:
    bool m_backend = false;
};

} // namespace upload
