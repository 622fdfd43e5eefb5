#include "views/warning/CertificateWarningView.h"

#include "browser/EngineAddress.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"
#include "views/warning/WarningPageStyle.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace { } // namespace

CertificateWarningView::CertificateWarningView(ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_themeManager(themeManager)
{
    setObjectName(QStringLiteral("certificateWarning"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    const QString titleText
        = QString::fromUtf8("⚠️ この接続は安全ではありません");
    auto *title = new QLabel(this);
    title->setObjectName(QStringLiteral("certificateWarningTitle"));
    title->setTextFormat(Qt::RichText);
    title->setText(ViewStyle::colorEmojiRichText(titleText));
    title->setAccessibleName(titleText);
    title->setFont(ViewStyle::font(ViewStyle::TextStyle::title2, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(WarningPageStyle::labelStyle(ViewStyle::red()));

    m_message = new QLabel(
        QString::fromUtf8(
            "このサイトの証明書に問題があるため、通信が保護されていない可能性があります。"
            "偽のサイトがパスワードやカード番号を盗み取ろうとしていることもあります。"),
        this);
    m_message->setObjectName(QStringLiteral("certificateWarningMessage"));
    m_message->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setMaximumWidth(maxContentWidth);

    auto *root = new QVBoxLayout(this);
    root->setSpacing(24);
    root->addStretch(1);
    root->addWidget(buildIcon(), 0, Qt::AlignHCenter);
    auto *heading = new QVBoxLayout;
    heading->setSpacing(8);
    heading->addWidget(title);
    heading->addLayout(WarningPageStyle::centredRow(m_message));
    root->addLayout(heading);
    root->addLayout(WarningPageStyle::centredRow(buildDetailBox()));
    root->addWidget(buildButtons(), 0, Qt::AlignHCenter);
    root->addStretch(1);

    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &CertificateWarningView::restyle);
    restyle();
    setUrl(QUrl());
}

QWidget *CertificateWarningView::buildIcon()
{
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("certificateWarningIcon"));
    icon->setFixedSize(WarningPageStyle::iconDiameter, WarningPageStyle::iconDiameter);
    icon->setPixmap(WarningPageStyle::icon(QStringLiteral("lock.slash.fill")));
    return icon;
}

QWidget *CertificateWarningView::buildDetailBox()
{
    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("certificateWarningDetailBox"));
    box->setMaximumWidth(maxContentWidth);
    m_detailBox = box;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);

    const QFont caption = ViewStyle::font(ViewStyle::TextStyle::caption);
    const QFont captionBold = ViewStyle::font(ViewStyle::TextStyle::caption, QFont::Bold);

    auto *addressRow = new QHBoxLayout;
    m_addressTitle = new QLabel(QString::fromUtf8("対象URL:"), box);
    m_addressTitle->setFont(captionBold);
    m_address = new QLabel(box);
    m_address->setObjectName(QStringLiteral("certificateWarningAddress"));
    m_address->setTextFormat(Qt::PlainText);
    m_address->setFont(ViewStyle::monospaceFont(caption.pixelSize()));
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_address->setWordWrap(true);
    addressRow->addWidget(m_addressTitle, 0, Qt::AlignTop);
    addressRow->addWidget(m_address, 1);

    m_divider = new QFrame(box);
    m_divider->setFrameShape(QFrame::HLine);
    m_divider->setFrameShadow(QFrame::Plain);

    m_problemTitle = new QLabel(QString::fromUtf8("問題:"), box);
    m_problemTitle->setFont(captionBold);
    m_problem = new QLabel(box);
    m_problem->setObjectName(QStringLiteral("certificateWarningProblem"));
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setFont(ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold));
    m_problem->setWordWrap(true);

    layout->addLayout(addressRow);
    layout->addWidget(m_divider);
    layout->addWidget(m_problemTitle);
    layout->addWidget(m_problem);
    return box;
}

QWidget *CertificateWarningView::buildButtons()
{
    auto *buttons = new QWidget(this);
    auto *layout = new QHBoxLayout(buttons);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);

    m_goBackButton = new QPushButton(QString::fromUtf8("安全な前のページへ戻る (推奨)"), buttons);
    m_goBackButton->setObjectName(QStringLiteral("certificateWarningGoBackButton"));
    m_goBackButton->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));
    m_goBackButton->setIconSize(QSize(16, 16));
    m_goBackButton->setCursor(Qt::PointingHandCursor);
    m_goBackButton->setDefault(true);
    connect(m_goBackButton, &QPushButton::clicked, this, &CertificateWarningView::goBackRequested);

    m_proceedButton = new QPushButton(QString::fromUtf8("危険を承知でアクセス"), buttons);
    m_proceedButton->setObjectName(QStringLiteral("certificateWarningProceedButton"));
    m_proceedButton->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    connect(m_proceedButton, &QPushButton::clicked, this,
            &CertificateWarningView::proceedRequested);

    layout->addWidget(m_goBackButton);
    layout->addWidget(m_proceedButton);
    return buttons;
}

void CertificateWarningView::setUrl(const QUrl &url)
{
    m_url = url;
    QString text = EngineAddress::text(url);
    if (text.isEmpty())
        text = QString::fromUtf8("不明");
    m_address->setText(text);
    m_address->setToolTip(text);
}

QString CertificateWarningView::problem() const
{
    return m_problem->text();
}

void CertificateWarningView::setProblem(const QString &problem)
{
    m_problem->setText(problem);
}

void CertificateWarningView::setCanProceed(bool canProceed)
{
    m_proceedButton->setVisible(canProceed);
}

void CertificateWarningView::restyle()
{
    if (m_restyling)
        return;
    m_restyling = true;

    const QColor accent = accentColor(m_themeManager.currentTheme());
    const QColor secondary = ViewStyle::secondaryText(this);
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor foreground = textOnAccent(accent);

    ViewStyle::makeProminent(m_goBackButton, accent, 16, 8);
    m_goBackButton->setIcon(
        SymbolIcon::icon(QStringLiteral("arrow.left.circle.fill"), foreground, 16));
    WarningPageStyle::styleProceedButton(m_proceedButton, secondary);

    WarningPageStyle::styleDetailBox(m_detailBox, m_divider, palette());
    m_message->setStyleSheet(WarningPageStyle::labelStyle(secondary));
    m_addressTitle->setStyleSheet(WarningPageStyle::labelStyle(secondary));
    m_problemTitle->setStyleSheet(WarningPageStyle::labelStyle(ViewStyle::red()));
    m_address->setStyleSheet(WarningPageStyle::labelStyle(primary));
    m_problem->setStyleSheet(WarningPageStyle::labelStyle(primary));

    m_restyling = false;
}

void CertificateWarningView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_goBackButton)
        restyle();
}
