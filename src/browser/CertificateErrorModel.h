#pragma once

#include <QObject>
#include <QUrl>
#include <QWebEngineCertificateError>

#include <optional>

class QWebEnginePage;

// A certificate error on the page's own address, held while the browser's
// warning asks the user: the engine's load waits meanwhile, so its error
// page never appears. Errors of anything else the page loads (images,
// scripts, frames) are refused at once and silently, as they do not take
// the page's place.
class CertificateErrorModel final : public QObject
{
    Q_OBJECT

public:
    // Follows the page's certificate errors; the page owns the model.
    explicit CertificateErrorModel(QWebEnginePage &page);
    ~CertificateErrorModel() override;

    // What is wrong, in plain Japanese.
    static QString problemText(QWebEngineCertificateError::Type type);

    // The page's navigation policy let the main frame go to url: that is the
    // address whose certificate errors are the user's to decide. Any error
    // still waiting belongs to a load that is now replaced.
    void noteMainFrameNavigation(const QUrl &url);

    bool hasError() const { return m_error.has_value(); }
    QUrl url() const;
    QString problem() const;
    // Only where the engine allows an override.
    bool canProceed() const;

    // Abandons the load: the page shown before it stays, and the failed
    // address never enters the history.
    void goBack();
    // Loads the page despite the error, where the engine allows it.
    void proceed();

Q_SIGNALS:
    void errorChanged();
    // The user went past the warning for url's host.
    void accepted(const QUrl &url);

private:
    void onCertificateError(const QWebEngineCertificateError &error);
    void clear();

    QWebEnginePage &m_page;
    QUrl m_mainFrameTarget;
    std::optional<QWebEngineCertificateError> m_error;
};
