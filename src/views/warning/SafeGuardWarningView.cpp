#include "views/warning/SafeGuardWarningView.h"

#include "browser/EngineAddress.h"
#include "theme/AppTheme.h"
#include "theme/ThemeManager.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"
#include "views/warning/WarningPageStyle.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int reasonSymbolSize = 11;

} // namespace

SafeGuardWarningView::SafeGuardWarningView(ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_themeManager(themeManager)
{
    setObjectName(QStringLiteral("safeGuardWarning"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    auto *root = new QVBoxLayout(this);
    root->setSpacing(24);
    root->addStretch(1);
    root->addWidget(buildIcon(), 0, Qt::AlignHCenter);
    root->addWidget(buildHeading());
    root->addLayout(WarningPageStyle::centredRow(buildDetailBox()));
    root->addWidget(buildButtons(), 0, Qt::AlignHCenter);
    root->addStretch(1);

    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &SafeGuardWarningView::restyle);

    restyle();
    showAddress();
    showReasons();
}

QWidget *SafeGuardWarningView::buildIcon()
{
    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("warningIcon"));
    m_icon->setFixedSize(WarningPageStyle::iconDiameter, WarningPageStyle::iconDiameter);
    m_icon->setToolTip(QStringLiteral("shield.slash.fill"));
    m_icon->setPixmap(WarningPageStyle::icon(QStringLiteral("shield.slash.fill")));
    return m_icon;
}

QWidget *SafeGuardWarningView::buildHeading()
{
    auto *heading = new QWidget(this);
    auto *layout = new QVBoxLayout(heading);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    const QString titleText
        = QString::fromUtf8("⚠️ 詐欺・危険サイトの疑いを検知しました");
    auto *title = new QLabel(heading);
    title->setTextFormat(Qt::RichText);
    title->setText(ViewStyle::colorEmojiRichText(titleText));
    title->setAccessibleName(titleText);
    title->setObjectName(QStringLiteral("warningTitle"));
    title->setFont(ViewStyle::font(ViewStyle::TextStyle::title2, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(WarningPageStyle::labelStyle(ViewStyle::red()));

    m_message = new QLabel(
        QString::fromUtf8("このWebサイトは悪質な通販詐欺、コピー品販売、または不審なTLDドメインの"
                          "特徴と一致したため、自動ブロックされました。"),
        heading);
    m_message->setObjectName(QStringLiteral("warningMessage"));
    m_message->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setMaximumWidth(maxContentWidth);

    layout->addWidget(title);
    layout->addLayout(WarningPageStyle::centredRow(m_message));
    return heading;
}

QWidget *SafeGuardWarningView::buildDetailBox()
{
    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("warningDetailBox"));
    box->setMaximumWidth(maxContentWidth);
    m_detailBox = box;
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);

    const QFont caption = ViewStyle::font(ViewStyle::TextStyle::caption);
    const QFont captionBold = ViewStyle::font(ViewStyle::TextStyle::caption, QFont::Bold);

    auto *addressRow = new QHBoxLayout;
    m_addressTitle = new QLabel(QString::fromUtf8("対象URL:"), box);
    m_addressTitle->setObjectName(QStringLiteral("warningAddressTitle"));
    m_addressTitle->setFont(captionBold);
    m_address = new QLabel(box);
    m_address->setObjectName(QStringLiteral("warningAddress"));
    m_address->setTextFormat(Qt::PlainText);
    m_address->setFont(ViewStyle::monospaceFont(caption.pixelSize()));
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The box sets the width; the address fits itself into it by eliding.
    m_address->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_address->installEventFilter(this);
    addressRow->addWidget(m_addressTitle);
    addressRow->addWidget(m_address, 1);

    auto *divider = new QFrame(box);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    m_divider = divider;

    auto *risksTitle = new QLabel(QString::fromUtf8("検知されたリスク:"), box);
    risksTitle->setObjectName(QStringLiteral("warningRisksTitle"));
    risksTitle->setFont(captionBold);
    risksTitle->setStyleSheet(WarningPageStyle::labelStyle(ViewStyle::red()));

    m_reasonList = new QWidget(box);
    m_reasonList->setObjectName(QStringLiteral("warningReasons"));
    m_reasonLayout = new QVBoxLayout(m_reasonList);
    m_reasonLayout->setContentsMargins(0, 0, 0, 0);
    m_reasonLayout->setSpacing(10);

    layout->addLayout(addressRow);
    layout->addWidget(divider);
    layout->addWidget(risksTitle);
    layout->addWidget(m_reasonList);
    return box;
}

QWidget *SafeGuardWarningView::buildButtons()
{
    auto *buttons = new QWidget(this);
    auto *column = new QVBoxLayout(buttons);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    auto *layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);

    m_suggestionButton = new QPushButton(buttons);
    m_suggestionButton->setObjectName(QStringLiteral("warningSuggestionButton"));
    m_suggestionButton->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));
    m_suggestionButton->setIconSize(QSize(16, 16));
    m_suggestionButton->setCursor(Qt::PointingHandCursor);
    m_suggestionButton->hide();
    connect(m_suggestionButton, &QPushButton::clicked, this,
            &SafeGuardWarningView::suggestionRequested);
    column->addWidget(m_suggestionButton, 0, Qt::AlignHCenter);
    column->addLayout(layout);

    m_goBackButton = new QPushButton(QString::fromUtf8("安全な前のページへ戻る (推奨)"), buttons);
    m_goBackButton->setObjectName(QStringLiteral("warningGoBackButton"));
    m_goBackButton->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));
    m_goBackButton->setIconSize(QSize(16, 16));
    m_goBackButton->setCursor(Qt::PointingHandCursor);
    m_goBackButton->setDefault(true);
    connect(m_goBackButton, &QPushButton::clicked, this, &SafeGuardWarningView::goBackRequested);

    m_proceedButton = new QPushButton(QString::fromUtf8("危険を承知でアクセス"), buttons);
    m_proceedButton->setObjectName(QStringLiteral("warningProceedButton"));
    m_proceedButton->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    connect(m_proceedButton, &QPushButton::clicked, this,
            &SafeGuardWarningView::proceedAnywayRequested);

    layout->addWidget(m_goBackButton);
    layout->addWidget(m_proceedButton);
    return buttons;
}

void SafeGuardWarningView::setBlockedUrl(const QUrl &url)
{
    m_blockedUrl = url;
    showAddress();
}

void SafeGuardWarningView::setSuggestion(const SafetyLevel::Suggestion &suggestion)
{
    if (suggestion == m_suggestion)
        return;
    m_suggestion = suggestion;
    m_suggestionButton->setText(
        QStringLiteral("%1 (%2) を開く").arg(suggestion.name, suggestion.domain));
    m_suggestionButton->setVisible(!suggestion.isEmpty());
    m_goBackButton->setDefault(suggestion.isEmpty());
    m_suggestionButton->setDefault(!suggestion.isEmpty());
    restyle();
}

void SafeGuardWarningView::setCanProceed(bool canProceed)
{
    m_proceedButton->setVisible(canProceed);
}

void SafeGuardWarningView::setReasons(const QStringList &reasons)
{
    if (reasons == m_reasons)
        return;
    m_reasons = reasons;
    showReasons();
}

void SafeGuardWarningView::showAddress()
{
    // An address QUrl refused is shown as the engine wrote it.
    m_addressText = EngineAddress::text(m_blockedUrl);
    if (m_addressText.isEmpty())
        m_addressText = QString::fromUtf8("不明");
    m_address->setToolTip(m_addressText);
    elideAddress();
}

void SafeGuardWarningView::elideAddress()
{
    // Eliding in the middle keeps both the site and the end of the path in view.
    const QFontMetrics metrics(m_address->font());
    const int width = m_address->contentsRect().width();
    m_address->setText(width > 0 ? metrics.elidedText(m_addressText, Qt::ElideMiddle, width)
                                 : m_addressText);
}

void SafeGuardWarningView::showReasons()
{
    while (QLayoutItem *item = m_reasonLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }

    const QFont caption = ViewStyle::font(ViewStyle::TextStyle::caption);
    const int lineHeight = QFontMetrics(caption).height();
    const QColor primary = palette().color(QPalette::WindowText);
    const QPixmap symbol = SymbolIcon::pixmap(QStringLiteral("xmark.circle.fill"), ViewStyle::red(),
                                              reasonSymbolSize, 2.0);
    for (const QString &reason : std::as_const(m_reasons)) {
        auto *row = new QWidget(m_reasonList);
        row->setObjectName(QStringLiteral("warningReasonRow"));
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(6);
        auto *icon = new QLabel(row);
        icon->setObjectName(QStringLiteral("warningReasonSymbol"));
        // As tall as the first line of text, so the symbol sits beside it.
        icon->setFixedSize(reasonSymbolSize, qMax(lineHeight, reasonSymbolSize));
        icon->setAlignment(Qt::AlignCenter);
        icon->setPixmap(symbol);
        icon->setToolTip(QStringLiteral("xmark.circle.fill"));
        auto *text = new QLabel(reason, row);
        text->setObjectName(QStringLiteral("warningReason"));
        text->setTextFormat(Qt::PlainText);
        text->setFont(caption);
        text->setWordWrap(true);
        text->setStyleSheet(WarningPageStyle::labelStyle(primary));
        layout->addWidget(icon, 0, Qt::AlignTop);
        layout->addWidget(text, 1, Qt::AlignTop);
        m_reasonLayout->addWidget(row);
    }
    m_reasonList->setVisible(!m_reasons.isEmpty());
}

void SafeGuardWarningView::restyle()
{
    if (m_restyling)
        return;
    m_restyling = true;

    const QColor accent = accentColor(m_themeManager.currentTheme());
    const QColor secondary = ViewStyle::secondaryText(this);
    const QColor primary = palette().color(QPalette::WindowText);

    // One primary action: the real shop when there is one, else going back.
    const QColor foreground = textOnAccent(accent);
    ViewStyle::makeProminent(m_suggestionButton, accent, 16, 8);
    m_suggestionButton->setIcon(
        SymbolIcon::icon(QStringLiteral("checkmark.seal.fill"), foreground, 16));
    if (m_suggestion.isEmpty()) {
        ViewStyle::makeProminent(m_goBackButton, accent, 16, 8);
        m_goBackButton->setIcon(
            SymbolIcon::icon(QStringLiteral("arrow.left.circle.fill"), foreground, 16));
    } else {
        ViewStyle::makeBordered(m_goBackButton, palette(), 16, 8);
        m_goBackButton->setIcon(SymbolIcon::icon(QStringLiteral("arrow.left.circle.fill"),
                                                 palette().color(QPalette::ButtonText), 16));
    }

    WarningPageStyle::styleProceedButton(m_proceedButton, secondary);

    WarningPageStyle::styleDetailBox(m_detailBox, m_divider, palette());
    m_message->setStyleSheet(WarningPageStyle::labelStyle(secondary));
    m_addressTitle->setStyleSheet(WarningPageStyle::labelStyle(secondary));
    m_address->setStyleSheet(WarningPageStyle::labelStyle(primary));
    for (QLabel *reason : m_reasonList->findChildren<QLabel *>(QStringLiteral("warningReason")))
        reason->setStyleSheet(WarningPageStyle::labelStyle(primary));

    m_restyling = false;
}

void SafeGuardWarningView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_goBackButton)
        restyle();
}

bool SafeGuardWarningView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_address && event->type() == QEvent::Resize)
        elideAddress();
    return QWidget::eventFilter(watched, event);
}
