#include "subscriptions/ListDownload.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace {

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'g', 3);
}

} // namespace

ListDownload::ListDownload(QNetworkAccessManager &network, const Request &request, QObject *parent)
    : QObject(parent)
    , m_request(request)
{
    QNetworkRequest networkRequest(request.address);
    // Refuses https -> http on the way; finish() checks the final address too.
    networkRequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                                QNetworkRequest::NoLessSafeRedirectPolicy);
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                                QNetworkRequest::AlwaysNetwork);
    networkRequest.setSslConfiguration(request.sslConfiguration);
    const QString agent = QCoreApplication::applicationName();
    if (!agent.isEmpty()) {
        networkRequest.setHeader(QNetworkRequest::UserAgentHeader,
                                 agent + u'/' + QCoreApplication::applicationVersion());
    }
    if (!request.etag.isEmpty())
        networkRequest.setRawHeader("If-None-Match", request.etag.toLatin1());
    if (!request.lastModified.isEmpty())
        networkRequest.setRawHeader("If-Modified-Since", request.lastModified.toLatin1());

    m_reply = network.get(networkRequest);
    m_reply->setParent(this);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &ListDownload::checkAnnouncedSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &ListDownload::readAvailable);
    connect(m_reply, &QNetworkReply::finished, this, &ListDownload::finish);

    // For the whole transfer, so a server trickling bytes cannot hold it open.
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_request.timeout);
        fail(u"%1 秒以内にダウンロードが終わりませんでした。"_s.arg(seconds.count()));
    });
    m_deadline.start(request.timeout);
}

ListDownload::~ListDownload()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void ListDownload::checkAnnouncedSize()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (!length.isValid() || length.toLongLong() <= m_request.maxBytes)
        return;
    const QString error = u"リストが大きすぎます（%1 MB、上限 %2 MB）。"_s.arg(
        megabytes(length.toLongLong()), megabytes(m_request.maxBytes));
    // Aborted from outside the reply's own signal, which it does not expect;
    // the reason stands whatever the reply does meanwhile.
    m_error = error;
    QMetaObject::invokeMethod(
        this, [this] { fail(m_error); }, Qt::QueuedConnection);
}

void ListDownload::readAvailable()
{
    if (m_outcome != Outcome::Pending || !m_error.isEmpty())
        return;
    m_body += m_reply->readAll();
    if (m_body.size() > m_request.maxBytes) {
        m_body.clear();
        fail(u"リストが大きすぎます（上限 %1 MB）。"_s.arg(megabytes(m_request.maxBytes)));
    }
}

void ListDownload::fail(const QString &error)
{
    if (m_outcome != Outcome::Pending)
        return;
    if (m_error.isEmpty())
        m_error = error;
    m_reply->disconnect(this);
    m_reply->abort();
    finish();
}

void ListDownload::finish()
{
    if (m_outcome != Outcome::Pending)
        return;
    m_deadline.stop();
    if (!m_error.isEmpty()) {
        m_body.clear();
        m_outcome = Outcome::Failed;
        Q_EMIT finished();
        return;
    }
    readAvailable();
    if (m_outcome != Outcome::Pending)
        return;

    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_reply->error() == QNetworkReply::InsecureRedirectError
        || m_reply->url().scheme() != "https"_L1) {
        m_error = u"https 以外のアドレスへの転送は受け付けません。"_s;
    } else if (m_reply->error() != QNetworkReply::NoError && status >= 400) {
        m_error = u"サーバーがエラーを返しました（HTTP %1）。"_s.arg(status);
    } else if (m_reply->error() != QNetworkReply::NoError) {
        m_error = networkError();
    } else if (status == 304) {
        m_outcome = Outcome::NotModified;
    } else if (status == 200) {
        m_outcome = Outcome::Fetched;
    } else {
        m_error = u"サーバーから思わぬ応答がありました（HTTP %1）。"_s.arg(status);
    }

    if (m_outcome == Outcome::Pending) {
        m_body.clear();
        m_outcome = Outcome::Failed;
    } else {
        m_etag = QString::fromLatin1(m_reply->rawHeader("ETag"));
        m_lastModified = QString::fromLatin1(m_reply->rawHeader("Last-Modified"));
    }
    Q_EMIT finished();
}

QString ListDownload::networkError() const
{
    switch (m_reply->error()) {
    case QNetworkReply::HostNotFoundError:
        return u"サーバーが見つかりませんでした（%1）。"_s.arg(m_request.address.host());
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return u"サーバーに接続できませんでした（%1）。"_s.arg(m_request.address.host());
    case QNetworkReply::SslHandshakeFailedError:
        return u"安全な接続を確かめられませんでした（%1）。"_s.arg(m_request.address.host());
    case QNetworkReply::TooManyRedirectsError:
        return u"転送が多すぎます。"_s;
    default:
        return u"ダウンロードできませんでした（%1）。"_s.arg(m_reply->errorString());
    }
}
