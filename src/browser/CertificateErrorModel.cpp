#include "browser/CertificateErrorModel.h"

#include <QWebEngineHistory>
#include <QWebEnginePage>

namespace {

QUrl withoutFragment(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

CertificateErrorModel::CertificateErrorModel(QWebEnginePage &page)
    : QObject(&page)
    , m_page(page)
{
    connect(&page, &QWebEnginePage::certificateError, this,
            &CertificateErrorModel::onCertificateError);
}

CertificateErrorModel::~CertificateErrorModel()
{
    // A load left waiting would never finish.
    if (m_error)
        m_error->rejectCertificate();
}

QString CertificateErrorModel::problemText(QWebEngineCertificateError::Type type)
{
    switch (type) {
    case QWebEngineCertificateError::CertificateAuthorityInvalid:
        return QStringLiteral("証明書が信頼できません");
    case QWebEngineCertificateError::CertificateDateInvalid:
        return QStringLiteral("証明書の有効期限が切れています");
    case QWebEngineCertificateError::CertificateCommonNameInvalid:
        return QStringLiteral("証明書のホスト名が一致しません");
    case QWebEngineCertificateError::CertificateRevoked:
        return QStringLiteral("証明書は失効しています");
    case QWebEngineCertificateError::CertificateInvalid:
    case QWebEngineCertificateError::CertificateContainsErrors:
        return QStringLiteral("証明書に誤りがあります");
    case QWebEngineCertificateError::CertificateNoRevocationMechanism:
    case QWebEngineCertificateError::CertificateUnableToCheckRevocation:
        return QStringLiteral("証明書が失効していないか確認できません");
    case QWebEngineCertificateError::CertificateWeakSignatureAlgorithm:
    case QWebEngineCertificateError::CertificateWeakKey:
        return QStringLiteral("証明書の暗号が弱く、安全ではありません");
    case QWebEngineCertificateError::CertificateNonUniqueName:
    case QWebEngineCertificateError::CertificateNameConstraintViolation:
        return QStringLiteral("証明書がこのサイトの名前に使えないものです");
    case QWebEngineCertificateError::CertificateValidityTooLong:
        return QStringLiteral("証明書の有効期間が長すぎます");
    case QWebEngineCertificateError::CertificateTransparencyRequired:
        return QStringLiteral("証明書が公開の記録に登録されていません");
    case QWebEngineCertificateError::SslPinnedKeyNotInCertificateChain:
        return QStringLiteral("証明書がこのサイトの本来の鍵と一致しません");
    default:
        // Kinds the engine added later, or ones it no longer reports.
        return QStringLiteral("証明書に問題があります");
    }
}

void CertificateErrorModel::noteMainFrameNavigation(const QUrl &url)
{
    m_mainFrameTarget = withoutFragment(url);
    if (m_error && withoutFragment(m_error->url()) != m_mainFrameTarget) {
        m_error->rejectCertificate();
        clear();
    }
}

QUrl CertificateErrorModel::url() const
{
    return m_error ? m_error->url() : QUrl();
}

QString CertificateErrorModel::problem() const
{
    return m_error ? problemText(m_error->type()) : QString();
}

bool CertificateErrorModel::canProceed() const
{
    return m_error && m_error->isOverridable();
}

void CertificateErrorModel::onCertificateError(const QWebEngineCertificateError &error)
{
    // Not the page's own address: refused by not deferring it.
    if (withoutFragment(error.url()) != m_mainFrameTarget)
        return;
    if (m_error)
        m_error->rejectCertificate();
    QWebEngineCertificateError held = error;
    held.defer();
    m_error = held;
    Q_EMIT errorChanged();
}

void CertificateErrorModel::goBack()
{
    if (!m_error)
        return;
    const QUrl failed = m_error->url();
    // Stopped first, the load ends without an error page and without a
    // history entry for the failed address.
    m_page.triggerAction(QWebEnginePage::Stop);
    m_error->rejectCertificate();
    // Where the engine did not wait for the answer, it showed its error page
    // in a history entry of its own: leave that entry.
    if (withoutFragment(m_page.url()) == withoutFragment(failed) && m_page.history()->canGoBack())
        m_page.triggerAction(QWebEnginePage::Back);
    clear();
}

void CertificateErrorModel::proceed()
{
    if (!canProceed())
        return;
    const QUrl url = m_error->url();
    m_error->acceptCertificate();
    clear();
    Q_EMIT accepted(url);
}

void CertificateErrorModel::clear()
{
    m_error.reset();
    m_mainFrameTarget.clear();
    Q_EMIT errorChanged();
}
