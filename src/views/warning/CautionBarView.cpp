#include "views/warning/CautionBarView.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int symbolSize = 16;
constexpr qreal tintOpacity = 0.16;

} // namespace

CautionBarView::CautionBarView(QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QLabel(this))
    , m_reasonLayout(new QVBoxLayout)
    , m_closeButton(new QToolButton(this))
{
    setObjectName(QStringLiteral("cautionBar"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    m_symbol->setObjectName(QStringLiteral("cautionSymbol"));
    m_symbol->setFixedSize(symbolSize, symbolSize);
    m_symbol->setToolTip(QStringLiteral("exclamationmark.triangle.fill"));

    m_reasonLayout->setContentsMargins(0, 0, 0, 0);
    m_reasonLayout->setSpacing(2);

    m_closeButton->setObjectName(QStringLiteral("cautionCloseButton"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setCursor(Qt::PointingHandCursor);
    m_closeButton->setToolTip(QStringLiteral("閉じる"));
    m_closeButton->setAccessibleName(QStringLiteral("閉じる"));
    connect(m_closeButton, &QToolButton::clicked, this, &CautionBarView::dismissRequested);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(m_symbol, 0, Qt::AlignTop);
    layout->addLayout(m_reasonLayout, 1);
    layout->addWidget(m_closeButton, 0, Qt::AlignTop);

    restyle();
}

void CautionBarView::setReasons(const QStringList &reasons)
{
    if (reasons == m_reasons)
        return;
    m_reasons = reasons;
    showReasons();
}

void CautionBarView::showReasons()
{
    while (QLayoutItem *item = m_reasonLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QColor primary = palette().color(QPalette::WindowText);
    for (const QString &reason : std::as_const(m_reasons)) {
        auto *label = new QLabel(reason, this);
        label->setObjectName(QStringLiteral("cautionReason"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline));
        label->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(ViewStyle::rgba(primary)));
        m_reasonLayout->addWidget(label);
    }
}

void CautionBarView::restyle()
{
    if (m_restyling)
        return;
    m_restyling = true;
    const qreal ratio = 2.0;
    m_symbol->setPixmap(SymbolIcon::pixmap(QStringLiteral("exclamationmark.triangle.fill"),
                                           ViewStyle::orange(), symbolSize, ratio));
    m_closeButton->setIcon(
        SymbolIcon::icon(QStringLiteral("xmark"), ViewStyle::secondaryText(this), 12));
    showReasons();
    update();
    m_restyling = false;
}

void CautionBarView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // Amber over the window colour, with a hairline where the page begins.
    QPainter painter(this);
    QColor tint = ViewStyle::orange();
    tint.setAlphaF(tintOpacity);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), tint);
    QColor line = ViewStyle::orange();
    line.setAlphaF(0.45);
    painter.fillRect(QRect(0, height() - 1, width(), 1), line);
}

void CautionBarView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}
