#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace app {

/// Keeps one program per program folder: the first holds a lock file in the folder and listens on
/// a local socket named after it; a second start asks the first to come forward and ends.
/// Portable: a lock file and a local socket (a named pipe on Windows).
class SingleInstance : public QObject {
    Q_OBJECT
public:
    /// What start() found.
    enum class Start {
        First,            ///< no other program on the folder: this one holds the lock and listens
        OtherCameForward, ///< another program holds the folder and was asked to come forward
        OtherSilent,      ///< another program holds the folder but did not answer
    };

    /// Guards `programFolder`.
    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// Takes the folder's lock, or asks the program that holds it to come forward.
    Start start();
    /// The local socket's name for `programFolder`: the same for every spelling of the folder.
    static QString serverName(const QString& programFolder);

signals:
    /// A second start asked this program to come forward.
    void comeForward();

private:
    QString m_folder;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace app
