#pragma once

#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QUrl>

// One browser per user and data folder. The first start listens on a local
// socket; a later start hands its addresses to it and leaves, so links from
// other programs open in the window the user already has.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    // A request bigger than this is not a list of links; a local program
    // sending it gets nothing opened.
    static constexpr qint64 maximumRequestSize = 1 << 20;

    // The socket's path: in the user's runtime folder, named after the data
    // folder, so two users, or two test runs with their own data, never
    // share an instance.
    static QString serverPath(const QString &dataFolder, const QString &runtimeFolder);

    explicit SingleInstance(QString serverPath, QObject *parent = nullptr);

    enum class Claim {
        // No instance was running: this one listens now and keeps running.
        claimed,
        // The running instance took the addresses.
        handedOver,
        // An instance is running but did not answer in time. Starting a
        // second browser on the same data would have both write the same
        // files: this start must end.
        notTaken,
        // The running instance refused the request (too big to be links).
        refused,
    };

    // Sends the addresses (none means "open a window") to a running
    // instance, or starts listening when there is none.
    Claim claim(const QList<QUrl> &urls);

Q_SIGNALS:
    // A later start asked for these addresses, or for a new window when the
    // list is empty.
    void requestReceived(const QList<QUrl> &urls);

private:
    Claim sendToRunning(const QList<QUrl> &urls);
    void accept();

    QString m_serverPath;
    QLocalServer m_server;
};
