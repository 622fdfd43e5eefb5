#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;

// One fetch of a block list over https: a conditional request when the
// validators of the copy on disk are known, a deadline for the whole
// transfer, a cap on its size, and no redirect to a less safe address. It
// starts on construction and emits finished() once; the result then tells
// what came, with the reason in Japanese when nothing usable did.
class ListDownload final : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QUrl address;
        QString etag; // sent as If-None-Match when not empty
        QString lastModified; // sent as If-Modified-Since when not empty
        std::chrono::milliseconds timeout {0};
        qint64 maxBytes = 0;
        QSslConfiguration sslConfiguration;
    };
    enum class Outcome { Pending, Fetched, NotModified, Failed };

    ListDownload(QNetworkAccessManager &network, const Request &request, QObject *parent = nullptr);
    ~ListDownload() override;

    Outcome outcome() const { return m_outcome; }
    // The list as received, for Fetched.
    const QByteArray &body() const { return m_body; }
    // Validators of the answer, for Fetched and NotModified.
    const QString &etag() const { return m_etag; }
    const QString &lastModified() const { return m_lastModified; }
    // Why it failed, for Failed.
    const QString &error() const { return m_error; }

Q_SIGNALS:
    void finished();

private:
    void checkAnnouncedSize();
    void readAvailable();
    // Stops the transfer for a reason of our own; finish() reports it.
    void fail(const QString &error);
    void finish();
    QString networkError() const;

    const Request m_request;
    QPointer<QNetworkReply> m_reply;
    QTimer m_deadline;
    QByteArray m_body;
    QString m_etag;
    QString m_lastModified;
    QString m_error;
    Outcome m_outcome = Outcome::Pending;
};
