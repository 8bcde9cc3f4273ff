#include "upload/PlatformConnectivity.h"

#include <QNetworkInformation>
#include <QNetworkInterface>

namespace upload {

PlatformConnectivity::PlatformConnectivity()
    : m_backend(QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
{
}

bool PlatformConnectivity::isWebConnected()
{
    if (m_backend) {
        if (const QNetworkInformation* information = QNetworkInformation::instance()) {
            switch (information->reachability()) {
            case QNetworkInformation::Reachability::Disconnected:
                return false;
            // The head office may sit on the same LAN, so a local network is enough, as it was
            // for the connection state the program asked the system for.
            case QNetworkInformation::Reachability::Local:
            case QNetworkInformation::Reachability::Site:
            case QNetworkInformation::Reachability::Online:
                return true;
            case QNetworkInformation::Reachability::Unknown:
                break;
            }
        }
    }
    return anyInterfaceUp();
}

bool PlatformConnectivity::anyInterfaceUp()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsLoopBack) || !flags.testFlag(QNetworkInterface::IsUp)
            || !flags.testFlag(QNetworkInterface::IsRunning))
            continue;
        if (!interface.addressEntries().isEmpty())
            return true;
    }
    return false;
}

} // namespace upload
