#include "views/browser/PageCrashedView.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"
#include "views/warning/WarningPageStyle.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 56;
constexpr int maxTextWidth = 480;

} // namespace

PageCrashedView::PageCrashedView(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_reload(new QPushButton(QStringLiteral("再読み込み"), this))
{
    setObjectName(QStringLiteral("pageCrashedView"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);

    auto *title = new QLabel(QString::fromUtf8(titleText), this);
    title->setObjectName(QStringLiteral("pageCrashedTitle"));
    title->setFont(ViewStyle::font(ViewStyle::TextStyle::title2, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    auto *message = new QLabel(
        QStringLiteral("ページの処理が途中で終了しました。メモリが足りないか、ページに問題がある"
                       "可能性があります。再読み込みすると、もう一度表示を試みます。"),
        this);
    message->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    message->setMaximumWidth(maxTextWidth);
    m_reload->setObjectName(QStringLiteral("pageCrashedReloadButton"));
    m_reload->setCursor(Qt::PointingHandCursor);
    m_reload->setDefault(true);
    connect(m_reload, &QPushButton::clicked, this, &PageCrashedView::reloadRequested);

    auto *column = new QVBoxLayout(this);
    column->setSpacing(16);
    column->addStretch(1);
    column->addWidget(m_icon, 0, Qt::AlignHCenter);
    column->addWidget(title);
    column->addLayout(WarningPageStyle::centredRow(message));
    column->addWidget(m_reload, 0, Qt::AlignHCenter);
    column->addStretch(1);
    restyle();
}

void PageCrashedView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

void PageCrashedView::restyle()
{
    const QColor dim = ViewStyle::secondaryText(this);
    m_icon->setPixmap(SymbolIcon::pixmap(QStringLiteral("exclamationmark.circle.fill"), dim,
                                         iconSize, devicePixelRatioF() * 2));
    m_reload->setIcon(SymbolIcon::icon(QStringLiteral("arrow.clockwise"),
                                       palette().color(QPalette::ButtonText), 16));
    ViewStyle::makeBordered(m_reload, palette(), 14, 6);
}
