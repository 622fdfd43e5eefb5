#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

// A tiny HTTP proxy for engine tests: the web engine is pointed at it and it
// answers plain-http requests by host and path, so tests browse real host
// names without a network. Unknown pages get a small default page titled
// with the host.
class TestProxyServer final : public QObject
{
    Q_OBJECT

public:
    explicit TestProxyServer(QObject *parent = nullptr);

    quint16 port() const;
    void setPage(const QString &host, const QString &path, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8");
    void setRedirect(const QString &host, const QString &path, const QString &location,
                     int status = 302);
    // Requests seen for host and path (path without the query).
    int hits(const QString &host, const QString &path) const;
    // Points the web engine at this proxy (QTWEBENGINE_CHROMIUM_FLAGS); call
    // before the first page is made.
    void installAsEngineProxy() const;

private:
    // implementation details are the owner's
    QTcpServer m_server;
};
