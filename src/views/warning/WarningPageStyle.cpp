#include "views/warning/WarningPageStyle.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int iconGlyphSize = 48;

} // namespace

QString WarningPageStyle::labelStyle(const QColor &color)
{
    return QStringLiteral("QLabel { color: %1; }").arg(ViewStyle::rgba(color));
}

QHBoxLayout *WarningPageStyle::centredRow(QWidget *widget)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch(1);
    row->addWidget(widget, 1000);
    row->addStretch(1);
    return row;
}

QPixmap WarningPageStyle::icon(const QString &glyph)
{
    const qreal ratio = 2.0;
    QPixmap pixmap(QSize(iconDiameter, iconDiameter) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor disc = ViewStyle::red();
    disc.setAlphaF(disc.alphaF() * 0.12);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(0, 0, iconDiameter, iconDiameter));
    const qreal offset = (iconDiameter - iconGlyphSize) / 2.0;
    painter.drawPixmap(QPointF(offset, offset),
                       SymbolIcon::pixmap(glyph, ViewStyle::red(), iconGlyphSize, ratio));
    painter.end();
    return pixmap;
}

void WarningPageStyle::styleDetailBox(QFrame *box, QFrame *divider, const QPalette &palette)
{
    box->setStyleSheet(QStringLiteral("#%1 { background: %2; border: 1px solid %3;"
                                      " border-radius: 10px; }")
                           .arg(box->objectName(), ViewStyle::rgba(palette.color(QPalette::Base)),
                                ViewStyle::rgba(ViewStyle::red(), 0.3)));
    divider->setStyleSheet(
        QStringLiteral("QFrame { color: %1; }").arg(ViewStyle::rgba(palette.color(QPalette::Mid))));
}

void WarningPageStyle::styleProceedButton(QPushButton *button, const QColor &secondary)
{
    ViewStyle::makePlain(button);
    button->setStyleSheet(
        button->styleSheet()
        + QStringLiteral("QAbstractButton { color: %1; }").arg(ViewStyle::rgba(secondary)));
}
