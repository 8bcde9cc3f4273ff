#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace app {

namespace {
const QByteArray forwardRequest = QByteArrayLiteral("come forward\n");
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent)
    , m_folder(programFolder)
    , m_lock(QDir(programFolder).filePath(QStringLiteral("mirtane.lock")))
{
    // A lock left by a program that crashed belongs to no running process and is taken over.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& programFolder)
{
    QString canonical = QFileInfo(programFolder).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(programFolder).absolutePath());
#ifdef Q_OS_WIN
    canonical = canonical.toLower();
#endif
    return QStringLiteral("mirtane-")
        + QString::fromLatin1(QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(24));
}

SingleInstance::Start SingleInstance::start()
{
    const QString name = serverName(m_folder);
    if (m_lock.tryLock(0)) {
        // The socket of a program that crashed may still be there; the lock says it is ours now.
        QLocalServer::removeServer(name);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = m_server->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                    if (socket->readAll().startsWith(forwardRequest.left(4)))
                        emit comeForward();
                });
            }
        });
        m_server->listen(name);
        return Start::First;
    }
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(2000)) {
        socket.write(forwardRequest);
        if (socket.waitForBytesWritten(2000)) {
            socket.disconnectFromServer();
            return Start::OtherCameForward;
        }
    }
    return Start::OtherSilent;
}

} // namespace app
