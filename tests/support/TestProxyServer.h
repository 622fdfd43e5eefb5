#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

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

    quint16 port() const;
    void setPage(const QString &host, const QString &path, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8");
    // Served as a file to save ("Content-Disposition: attachment").
    void setAttachment(const QString &host, const QString &path, const QByteArray &body,
                       const QString &fileName,
                       const QByteArray &contentType = "application/octet-stream");
    void setRedirect(const QString &host, const QString &path, const QString &location,
                     int status = 302);
    // https to host (CONNECT) is passed through to 127.0.0.1:port, where a
    // test's own TLS server answers with its certificate; other CONNECTs fail.
    void setTunnel(const QString &host, quint16 port);
    // Requests to host and path are read and never answered, to test time-outs.
    void setStalled(const QString &host, const QString &path);
    // Requests seen for host and path (path without the query).
    int hits(const QString &host, const QString &path) const;
    // Forgets the hits and bodies seen so far (pages stay configured); a test
    // program calls it between test functions.
    void clearHits();
    // All requests seen, any host.
    int totalHits() const { return m_totalHits; }
    // Every host asked for since the last clearHits(), as the engine wrote it.
    QSet<QString> hosts() const { return m_hosts; }
    // The body of the last request to host and path (a form post's fields).
    QByteArray lastBody(const QString &host, const QString &path) const;
    // Points the web engine at this proxy (QTWEBENGINE_CHROMIUM_FLAGS): adds
    // --proxy-server=http://127.0.0.1:<port> (replacing an earlier one) and
    // --disable-gpu, keeping every other flag. Call before the engine starts.
    void installAsEngineProxy() const;
    // The default page the proxy serves for host.
    static QByteArray defaultPage(const QString &host);

private:
    struct Answer
    {
        int status = 200;
        QByteArray body {};
        QByteArray contentType {};
        QByteArray location {};
        QByteArray disposition {};
        bool stalled = false;
    };

    static QString key(const QString &host, const QString &path);
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    // Answers one complete request from the front of buffer; false while the
    // request is still incomplete.
    bool serveOne(QTcpSocket *socket, QByteArray &buffer);
    void startTunnel(QTcpSocket *client, quint16 port);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, quint16> m_tunnels;
    QHash<QString, int> m_hits;
    QSet<QString> m_hosts;
    QHash<QString, QByteArray> m_bodies;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    int m_totalHits = 0;
};
