#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QLockFile>

namespace {

constexpr int handOffTimeout = 3000;

QByteArray encode(const QList<QUrl> &urls)
{
    QJsonArray list;
    for (const QUrl &url : urls)
        list.append(url.toString(QUrl::FullyEncoded));
    return QJsonDocument(QJsonObject {{QStringLiteral("urls"), list}})
               .toJson(QJsonDocument::Compact)
        + '\n';
}

std::optional<QList<QUrl>> decode(const QByteArray &message)
{
    const QJsonDocument document = QJsonDocument::fromJson(message.trimmed());
    if (!document.isObject())
        return std::nullopt;
    const QJsonValue list = document.object().value(QStringLiteral("urls"));
    if (!list.isArray())
        return std::nullopt;
    QList<QUrl> urls;
    for (const QJsonValue &value : list.toArray()) {
        // Kept even when it does not parse: the screening blocks what it
        // cannot judge, which tells the user more than dropping it would.
        if (value.isString())
            urls.append(QUrl(value.toString(), QUrl::StrictMode));
    }
    return urls;
}

} // namespace

QString SingleInstance::serverPath(const QString &dataFolder, const QString &runtimeFolder)
{
    const QByteArray key
        = QCryptographicHash::hash(QDir::cleanPath(dataFolder).toUtf8(), QCryptographicHash::Sha256)
              .toHex()
              .left(16);
    return QDir(runtimeFolder).filePath(QStringLiteral("velmora-") + QString::fromLatin1(key));
}

SingleInstance::SingleInstance(QString serverPath, QObject *parent)
    : QObject(parent)
    , m_serverPath(std::move(serverPath))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::Claim SingleInstance::claim(const QList<QUrl> &urls)
{
    // Two starts at the same moment would otherwise both find no one
    // listening and each take the socket from the other.
    QLockFile lock(m_serverPath + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(handOffTimeout))
        qWarning("Velmora: the instance lock %s is held; starting on our own",
                 qPrintable(lock.fileName()));
    const Claim handOff = sendToRunning(urls);
    if (handOff != Claim::claimed)
        return handOff;
    // Nobody listens: what is left is a crashed instance's socket.
    QLocalServer::removeServer(m_serverPath);
    if (!m_server.listen(m_serverPath))
        qWarning("Velmora: cannot listen on %s: %s", qPrintable(m_serverPath),
                 qPrintable(m_server.errorString()));
    return Claim::claimed;
}

SingleInstance::Claim SingleInstance::sendToRunning(const QList<QUrl> &urls)
{
    QLocalSocket socket;
    socket.connectToServer(m_serverPath);
    if (!socket.waitForConnected(handOffTimeout)) {
        // A socket file nobody listens on is a crashed instance's; one that
        // takes no connection in time belongs to a live one that hangs.
        const bool nobody = socket.error() == QLocalSocket::ServerNotFoundError
            || socket.error() == QLocalSocket::ConnectionRefusedError;
        return nobody ? Claim::claimed : Claim::notTaken;
    }
    // The running instance would refuse it too, but only after reading all of
    // it, which a busy instance may not finish before this start gives up.
    const QByteArray request = encode(urls);
    if (request.size() > maximumRequestSize)
        return Claim::refused;
    socket.write(request);
    // The running instance answers once it has the whole request, so this
    // start leaves only when the addresses cannot be lost.
    if (!socket.waitForBytesWritten(handOffTimeout) || !socket.waitForReadyRead(handOffTimeout))
        return Claim::notTaken;
    return socket.readAll().startsWith("ok") ? Claim::handedOver : Claim::refused;
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const bool tooBig = socket->bytesAvailable() > maximumRequestSize;
            if (!tooBig && !socket->canReadLine())
                return;
            const auto urls = tooBig ? std::nullopt : decode(socket->readLine(maximumRequestSize));
            socket->write(urls ? "ok\n" : "refused\n");
            // A start that gave up waiting (this instance hung) has told its
            // user the links were not taken, and is gone: they stay unopened.
            const bool heard = socket->flush() && socket->state() == QLocalSocket::ConnectedState;
            socket->disconnectFromServer();
            // The answer goes first: opening many tabs takes longer than the
            // other start waits, and it must not take us for a dead instance.
            if (urls && heard)
                QMetaObject::invokeMethod(
                    this, [this, urls = *urls] { Q_EMIT requestReceived(urls); },
                    Qt::QueuedConnection);
        });
    }
}
