#include "views/browser/JavaScriptDialog.h"

#include "views/common/ViewStyle.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int messageWidth = 420;

using Kind = JavaScriptDialogRequest::Kind;

QString originText(const QUrl &origin)
{
    // A page from a site is named by its host; data: and file: pages have
    // none and are named by their scheme.
    const QString host = origin.host();
    if (!host.isEmpty())
        return host;
    if (!origin.scheme().isEmpty())
        return origin.scheme() + QLatin1Char(':');
    return QStringLiteral("このページ");
}

QString shownMessage(const QString &message)
{
    if (message.size() <= JavaScriptDialog::maxMessageLength)
        return message;
    return message.first(JavaScriptDialog::maxMessageLength) + QStringLiteral("…");
}

} // namespace

JavaScriptDialog::JavaScriptDialog(const JavaScriptDialogRequest &request, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("javaScriptDialog"));
    const QString headingText = heading(request);
    setWindowTitle(headingText);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(12);

    auto *title = new QLabel(headingText, this);
    title->setObjectName(QStringLiteral("javaScriptDialogHeading"));
    title->setTextFormat(Qt::PlainText);
    title->setFont(ViewStyle::font(ViewStyle::TextStyle::headline, QFont::Bold));
    title->setWordWrap(true);
    layout->addWidget(title);

    auto *message = new QLabel(shownMessage(request.message), this);
    message->setObjectName(QStringLiteral("javaScriptDialogMessage"));
    // A page's text is never markup here.
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setFixedWidth(messageWidth);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setVisible(!request.message.isEmpty());
    layout->addWidget(message);

    if (request.kind == Kind::prompt) {
        m_input = new QLineEdit(request.defaultText, this);
        m_input->setObjectName(QStringLiteral("javaScriptDialogInput"));
        m_input->selectAll();
        layout->addWidget(m_input);
    }

    if (request.repeated) {
        m_silence = new QCheckBox(QString::fromUtf8(silenceText), this);
        m_silence->setObjectName(QStringLiteral("javaScriptDialogSilence"));
        layout->addWidget(m_silence);
    }

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(request.kind == Kind::leavePage ? QStringLiteral("移動")
                                                                         : QStringLiteral("OK"),
                                         QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("javaScriptDialogOk"));
    ok->setDefault(true);
    if (request.kind != Kind::alert) {
        QPushButton *cancel
            = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("javaScriptDialogCancel"));
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    if (m_input)
        m_input->setFocus();
    else
        ok->setFocus();
}

QString JavaScriptDialog::heading(const JavaScriptDialogRequest &request)
{
    if (request.kind == Kind::leavePage)
        return QString::fromUtf8(leavePageTitle);
    return QStringLiteral("%1 の表示内容").arg(originText(request.origin));
}

void JavaScriptDialog::ask(JavaScriptDialogRequest &request, QWidget *parent)
{
    // The page, and with it the parent, may close while the dialog waits.
    QPointer<JavaScriptDialog> dialog = new JavaScriptDialog(request, parent);
    dialog->setAttribute(Qt::WA_WindowPropagation); // the window's theme, not the desktop's
    const int result = dialog->exec();
    if (!dialog)
        return;
    if (result == QDialog::Accepted || request.kind == Kind::alert)
        dialog->writeAnswer(request);
    else
        request.accepted = false;
    request.suppressFurther = dialog->m_silence && dialog->m_silence->isChecked();
    delete dialog;
}

void JavaScriptDialog::writeAnswer(JavaScriptDialogRequest &request) const
{
    request.accepted = true;
    if (m_input)
        request.text = m_input->text();
}
