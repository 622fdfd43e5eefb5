#include "views/warning/ShopBadgeView.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int symbolSize = 13;
constexpr int widestText = 240;

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

} // namespace

ShopBadgeView::ShopBadgeView(QWidget *parent)
    : QWidget(parent)
    // Until told otherwise the badge shows the new tab, as the view model does.
    , m_safetyLevel(SafetyLevel::neutral(QString::fromUtf8("新規タブ")))
{
    setObjectName(QStringLiteral("shopBadge"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(6);

    m_symbol = new QLabel(this);
    m_symbol->setObjectName(QStringLiteral("badgeSymbol"));
    m_symbol->setFixedSize(symbolSize, symbolSize);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("badgeText"));
    m_text->setTextFormat(Qt::PlainText);
    m_tag = new QLabel(this);
    m_tag->setObjectName(QStringLiteral("badgeTag"));
    m_tag->setFont(ViewStyle::systemFont(9, QFont::DemiBold));

    layout->addWidget(m_symbol, 0, Qt::AlignVCenter);
    layout->addWidget(m_text, 0, Qt::AlignVCenter);
    layout->addWidget(m_tag, 0, Qt::AlignVCenter);

    showLevel();
}

void ShopBadgeView::setSafetyLevel(const SafetyLevel &level)
{
    if (level == m_safetyLevel)
        return;
    m_safetyLevel = level;
    showLevel();
}

void ShopBadgeView::setProceeded(bool proceeded)
{
    if (proceeded == m_proceeded)
        return;
    m_proceeded = proceeded;
    showLevel();
}

void ShopBadgeView::setInsecure(bool insecure)
{
    if (insecure == m_insecure)
        return;
    m_insecure = insecure;
    showLevel();
}

void ShopBadgeView::showLevel()
{
    // Restyling the labels must not feed back through changeEvent.
    m_showing = true;
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor secondary = ViewStyle::secondaryText(this);
    const qreal ratio = devicePixelRatioF() * 2;

    QString symbol;
    QColor symbolColor;
    QColor textColor;
    QString text;
    QFont::Weight weight = QFont::Bold;
    QString tag;
    QColor tagColor;
    qreal tagOpacity = 0;

    switch (m_safetyLevel.kind()) {
    case SafetyLevel::Kind::trusted:
        symbol = QStringLiteral("checkmark.seal.fill");
        symbolColor = ViewStyle::green();
        text = m_safetyLevel.shopName();
        textColor = primary;
        tag = QString::fromUtf8("公認正規店");
        tagColor = ViewStyle::green();
        tagOpacity = 0.15;
        if (m_insecure) {
            symbol = QStringLiteral("lock.open.fill");
            symbolColor = ViewStyle::orange();
            tag = QString::fromUtf8("公認店・保護されていない通信");
            tagColor = ViewStyle::orange();
        }
        break;
    case SafetyLevel::Kind::suspicious:
        symbol = QStringLiteral("exclamationmark.triangle.fill");
        symbolColor = ViewStyle::red();
        text = QString::fromUtf8(suspiciousText);
        textColor = ViewStyle::red();
        tag = m_proceeded ? QString::fromUtf8("警告を無視して表示中")
                          : QString::fromUtf8("ブロック");
        tagColor = ViewStyle::red();
        tagOpacity = 0.2;
        break;
    case SafetyLevel::Kind::caution:
        symbol = QStringLiteral("exclamationmark.triangle.fill");
        symbolColor = ViewStyle::orange();
        text = QString::fromUtf8(cautionText);
        textColor = ViewStyle::orange();
        break;
    case SafetyLevel::Kind::neutral:
        symbol = QStringLiteral("globe");
        symbolColor = secondary;
        text = m_safetyLevel.domain();
        textColor = secondary;
        weight = QFont::Medium;
        break;
    }

    m_symbol->setPixmap(SymbolIcon::pixmap(symbol, symbolColor, symbolSize, ratio));
    m_symbol->setToolTip(symbol);
    m_text->setFont(ViewStyle::systemFont(11, weight));
    // A long host loses its start, keeping the registrable name at its end;
    // a long shop name its end. Either way the badge keeps its room.
    const QString shown = m_text->fontMetrics().elidedText(
        text, m_safetyLevel.kind() == SafetyLevel::Kind::neutral ? Qt::ElideLeft : Qt::ElideRight,
        widestText);
    m_text->setText(shown);
    m_text->setToolTip(shown == text ? QString() : text);
    m_text->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(ViewStyle::rgba(textColor)));
    m_tag->setText(tag);
    m_tag->setVisible(!tag.isEmpty());
    if (!tag.isEmpty())
        ViewStyle::makeBadge(m_tag, withOpacity(tagColor, tagOpacity), tagColor, 4, 5, 2);
    m_showing = false;
    updateGeometry();
    update();
}

void ShopBadgeView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 6, 6);
    painter.fillPath(path, withOpacity(palette().color(QPalette::Base), 0.8));
}

void ShopBadgeView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_tag && !m_showing)
        showLevel();
}
