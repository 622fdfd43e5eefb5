#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A plain-http address, as the proxy serves it.
inline QUrl address(const QString &host, const QString &pathAndQuery = QStringLiteral("/"))
{
    return QUrl(QStringLiteral("http://") + host + pathAndQuery);
}

// A whole page in UTF-8 with the head and body given.
inline QByteArray htmlPage(const QByteArray &head, const QByteArray &body = {})
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + head + "</head><body>" + body
        + "</body></html>";
}

// A tiny HTTP proxy for engine tests: the web engine is pointed at it and it
// answers plain-http requests by host and path, so tests browse real host
// names without a network. Unknown pages get a small page titled with the
// host; "/favicon.ico" gets a 404, so icon fetches never count as page hits.
// Answers carry "Cache-Control: no-store": every reload really asks again.
//
// One proxy serves the whole test program and lives until it ends: Chromium
// reads its flags once, when the first QWebEngineProfile or QWebEnginePage is
// made (not at QApplication construction), so call installAsEngineProxy()
// before anything touches the engine, e.g. in initTestCase(). Host names
// always go through the proxy (the engine does no DNS of its own); only
// 127.0.0.1 and localhost bypass it.
class TestProxyServer final : public QObject
{
    Q_OBJECT

public:
    explicit TestProxyServer(QObject *parent = nullptr);
    ~TestProxyServer() override;

    quint16 port() const { return m_server.serverPort(); }
    void setPage(const QString &host, const QString &path, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8");
    // Served as a file to save ("Content-Disposition: attachment").
    // held: only the first half of the body is sent, so the download stays
    // in progress.
    void setAttachment(const QString &host, const QString &path, const QByteArray &body,
                       const QString &fileName,
                       const QByteArray &contentType = "application/octet-stream",
                       bool held = false);
    void setRedirect(const QString &host, const QString &path, const QString &location);
    // https to host (CONNECT) is passed through to 127.0.0.1:port, where a
    // test's own TLS server answers with its certificate; other CONNECTs fail.
    void setTunnel(const QString &host, quint16 port) { m_tunnels.insert(host.toLower(), port); }
    // Requests to host and path are read and never answered, to test time-outs.
    void setStalled(const QString &host, const QString &path);
    // Requests seen for host and path (path without the query).
    int hits(const QString &host, const QString &path) const;
    // Every host asked for since the last clearHits(), as the engine wrote it.
    QSet<QString> hosts() const { return m_hosts; }
    // Forgets the requests seen so far (pages stay configured).
    void clearHits();
    // Points the web engine at this proxy, keeping its other flags.
    void installAsEngineProxy() const;

private:
    struct Answer
    {
        int status = 200;
        QByteArray body {};
        QByteArray contentType {};
        QByteArray location {};
        QByteArray disposition {};
        bool stalled = false;
        bool held = false;
    };

    // Answers one complete request from the front of buffer; false while the
    // request is still incomplete.
    bool serveOne(QTcpSocket *socket, QByteArray &buffer);
    void startTunnel(QTcpSocket *client, quint16 port);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, quint16> m_tunnels;
    QHash<QString, int> m_hits;
    QSet<QString> m_hosts;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
