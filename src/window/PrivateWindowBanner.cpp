#include "window/PrivateWindowBanner.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

constexpr int symbolSize = 16;
constexpr int edgeWidth = 2;

} // namespace

PrivateWindowBanner::PrivateWindowBanner(QWidget *parent)
    : QWidget(parent)
    , m_title(new QLabel(QStringLiteral("プライベート")))
{
    setObjectName(QStringLiteral("privateWindowBanner"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    // Colours of its own, not the theme's: set on the strip, the window's
    // palette changes cannot reach its labels.
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, QColor(255, 255, 255));
    colors.setColor(QPalette::PlaceholderText, QColor(200, 192, 224));
    setPalette(colors);

    auto *symbol = new QLabel;
    symbol->setObjectName(QStringLiteral("privateWindowSymbol"));
    symbol->setPixmap(
        SymbolIcon::pixmap(QStringLiteral("eye.slash"), edge.lighter(130), symbolSize));

    m_title->setObjectName(QStringLiteral("privateWindowTitle"));
    m_title->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline, QFont::Bold));
    ViewStyle::makeBadge(m_title, edge, QColor(255, 255, 255), 4, 8, 2);

    auto *note = new QLabel(QStringLiteral(
        "このウインドウの Cookie・サイトデータ・閲覧履歴は、ウインドウを閉じると残りません。"));
    note->setObjectName(QStringLiteral("privateWindowNote"));
    note->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    note->setForegroundRole(QPalette::PlaceholderText);
    note->setMinimumWidth(0);
    note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 7, 12, 7 + edgeWidth);
    layout->setSpacing(8);
    layout->addWidget(symbol);
    layout->addWidget(m_title);
    layout->addSpacing(8);
    layout->addWidget(note, 1);
}

QString PrivateWindowBanner::title() const
{
    return m_title->text();
}

void PrivateWindowBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), background);
    painter.fillRect(QRect(0, height() - edgeWidth, width(), edgeWidth), edge);
}
