#include "TestProxyServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// "host:port" without the port; an IPv6 literal keeps its brackets.
QByteArray hostOnly(const QByteArray &authority)
{
    const qsizetype colon = authority.lastIndexOf(':');
    if (colon < 0 || authority.indexOf(']', colon) >= 0)
        return authority;
    return authority.left(colon);
}

QString key(const QString &host, const QString &path)
{
    return host.toLower() + (path.isEmpty() ? QStringLiteral("/") : path);
}

QByteArray defaultPage(const QString &host)
{
    const QByteArray name = host.toHtmlEscaped().toUtf8();
    return htmlPage("<title>" + name + "</title>", "<h1>" + name + "</h1>");
}

} // namespace

TestProxyServer::TestProxyServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            m_buffers.insert(socket, QByteArray());
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                auto buffer = m_buffers.find(socket);
                if (buffer == m_buffers.end())
                    return;
                buffer->append(socket->readAll());
                while (serveOne(socket, *buffer)
                       && socket->state() == QAbstractSocket::ConnectedState)
                    continue;
            });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    });
    m_server.listen(QHostAddress::LocalHost, 0);
}

TestProxyServer::~TestProxyServer()
{
    m_server.close();
    // A socket reports its disconnection while it is destroyed; end the open
    // ones now, while the state their handlers touch still exists.
    const QList<QTcpSocket *> sockets = m_buffers.keys();
    m_buffers.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        delete socket;
    }
}

void TestProxyServer::setPage(const QString &host, const QString &path, const QByteArray &body,
                              const QByteArray &contentType)
{
    m_answers.insert(key(host, path), {.body = body, .contentType = contentType});
}

void TestProxyServer::setAttachment(const QString &host, const QString &path,
                                    const QByteArray &body, const QString &fileName,
                                    const QByteArray &contentType, bool held)
{
    const QByteArray disposition
        = "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(fileName);
    m_answers.insert(
        key(host, path),
        {.body = body, .contentType = contentType, .disposition = disposition, .held = held});
}

void TestProxyServer::setRedirect(const QString &host, const QString &path, const QString &location)
{
    m_answers.insert(key(host, path), {.status = 302, .location = location.toUtf8()});
}

void TestProxyServer::setStalled(const QString &host, const QString &path)
{
    m_answers.insert(key(host, path), {.stalled = true});
}

int TestProxyServer::hits(const QString &host, const QString &path) const
{
    return m_hits.value(key(host, path));
}

void TestProxyServer::clearHits()
{
    m_hits.clear();
    m_hosts.clear();
}

void TestProxyServer::installAsEngineProxy() const
{
    QStringList flags
        = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").split(u' ', Qt::SkipEmptyParts);
    flags.removeIf([](const QString &flag) { return flag.startsWith(u"--proxy-server="); });
    flags.append(QStringLiteral("--proxy-server=http://127.0.0.1:%1").arg(port()));
    if (!flags.contains(QLatin1String("--disable-gpu")))
        flags.append(QStringLiteral("--disable-gpu"));
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.join(u' ').toUtf8());
}

bool TestProxyServer::serveOne(QTcpSocket *socket, QByteArray &buffer)
{
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    const QByteArray method = requestLine.value(0);
    const QByteArray target = requestLine.value(1);

    QByteArray hostHeader;
    qsizetype contentLength = 0;
    bool closeAfter = requestLine.value(2) == "HTTP/1.0";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "host")
            hostHeader = value;
        else if (name == "content-length")
            contentLength = value.toLongLong();
        else if (name == "connection" || name == "proxy-connection")
            closeAfter = closeAfter || value.toLower() == "close";
    }
    const qsizetype total = headerEnd + 4 + contentLength;
    if (buffer.size() < total)
        return false;
    buffer.remove(0, total);

    // https goes through CONNECT: only to the hosts a test has a server for.
    if (method == "CONNECT") {
        const QString host = QString::fromUtf8(hostOnly(target)).toLower();
        if (const quint16 port = m_tunnels.value(host)) {
            m_hosts.insert(host);
            startTunnel(socket, port);
            return false;
        }
        socket->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return false;
    }

    // Proxy form carries the whole address; origin form needs the Host header.
    // The host is taken as the engine wrote it: hosts QUrl refuses
    // ("scam.top..", "sc%21am.top") are what some tests are about.
    QByteArray authority = hostHeader;
    QByteArray pathAndQuery = target;
    if (target.startsWith("http://")) {
        const qsizetype pathStart = target.indexOf('/', 7);
        authority = target.mid(7, pathStart < 0 ? -1 : pathStart - 7);
        pathAndQuery = pathStart < 0 ? QByteArray("/") : target.mid(pathStart);
    }
    const QString host = QString::fromLatin1(hostOnly(authority)).toLower();
    const QUrl url = QUrl::fromEncoded("http://example.invalid" + pathAndQuery);
    const QString path = url.path().isEmpty() ? QStringLiteral("/") : url.path();
    const QString requestKey = key(host, path);
    ++m_hits[requestKey];
    m_hosts.insert(host);

    const Answer answer = m_answers.value(
        requestKey,
        path == u"/favicon.ico"_s
            ? Answer {.status = 404}
            : Answer {.body = defaultPage(host), .contentType = "text/html; charset=utf-8"});
    if (answer.stalled)
        return true;

    // The engine reads the status code only; every reason phrase is "X".
    QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n";
    if (!answer.location.isEmpty())
        response += "Location: " + answer.location + "\r\n";
    if (!answer.contentType.isEmpty())
        response += "Content-Type: " + answer.contentType + "\r\n";
    if (!answer.disposition.isEmpty())
        response += "Content-Disposition: " + answer.disposition + "\r\n";
    response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    response += "Cache-Control: no-store\r\n";
    response += closeAfter ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    response += "\r\n" + (answer.held ? answer.body.first(answer.body.size() / 2) : answer.body);
    socket->write(response);
    if (closeAfter) {
        socket->disconnectFromHost();
        return false;
    }
    return true;
}

void TestProxyServer::startTunnel(QTcpSocket *client, quint16 port)
{
    // From here on the connection is the TLS server's, byte for byte.
    m_buffers.remove(client);
    client->disconnect(this);
    auto *upstream = new QTcpSocket(client);
    connect(upstream, &QTcpSocket::connected, client,
            [client] { client->write("HTTP/1.1 200 Connection Established\r\n\r\n"); });
    connect(client, &QTcpSocket::readyRead, upstream,
            [client, upstream] { upstream->write(client->readAll()); });
    connect(upstream, &QTcpSocket::readyRead, client,
            [client, upstream] { client->write(upstream->readAll()); });
    connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    upstream->connectToHost(QHostAddress::LocalHost, port);
}
