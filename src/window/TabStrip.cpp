#include "window/TabStrip.h"

#include "browser/BrowserViewModel.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"
#include "views/warning/ShopBadgeView.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWebEnginePage>

#include <optional>

namespace {

constexpr int markSize = 10;

struct VerdictMark
{
    QString symbol;
    QColor color;
    QString text;
};

std::optional<VerdictMark> verdictMark(const BrowserViewModel &viewModel)
{
    const SafetyLevel level = viewModel.safetyLevel();
    if (viewModel.isBlocked() || level.isSuspicious())
        return VerdictMark {QStringLiteral("exclamationmark.triangle.fill"), ViewStyle::red(),
                            QString::fromUtf8(ShopBadgeView::suspiciousText)};
    if (level.isCaution())
        return VerdictMark {QStringLiteral("exclamationmark.triangle.fill"), ViewStyle::orange(),
                            QString::fromUtf8(ShopBadgeView::cautionText)};
    if (level.isTrusted())
        return VerdictMark {QStringLiteral("checkmark.seal.fill"), ViewStyle::green(),
                            QStringLiteral("公認正規店: ") + level.shopName()};
    return std::nullopt;
}

QString tabTitle(const BrowserViewModel &viewModel)
{
    if (!viewModel.shownTitle().isEmpty())
        return viewModel.shownTitle();
    if (!viewModel.currentURL().host().isEmpty())
        return viewModel.currentURL().host();
    return QString::fromUtf8(BrowserViewModel::newTabDomain);
}

} // namespace

TabStrip::TabStrip(QWidget *parent)
    : QTabBar(parent)
{
    setObjectName(QStringLiteral("tabStrip"));
    setDocumentMode(true);
    // The close buttons are the browser's own glyph in the theme's colours
    // (tabInserted), not the style's.
    setTabsClosable(false);
    setMovable(true);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideRight);
    setIconSize(QSize(iconSize, iconSize));
    setFocusPolicy(Qt::NoFocus);
}

void TabStrip::insertPageTab(int index, BrowserViewModel &viewModel)
{
    index = insertTab(index, QString());
    setTabData(index, QVariant::fromValue<QObject *>(&viewModel));
    for (const auto signal :
         {&BrowserViewModel::pageTitleChanged, &BrowserViewModel::currentURLChanged,
          &BrowserViewModel::isLoadingChanged, &BrowserViewModel::safetyLevelChanged,
          &BrowserViewModel::isBlockedChanged, &BrowserViewModel::pendingBlockedURLChanged,
          &BrowserViewModel::pageIconChanged, &BrowserViewModel::certificateProblemChanged}) {
        connect(&viewModel, signal, this, [this, &viewModel] { refresh(viewModel); });
    }
    refresh(viewModel);
}

BrowserViewModel *TabStrip::viewModelAt(int index) const
{
    return qobject_cast<BrowserViewModel *>(tabData(index).value<QObject *>());
}

int TabStrip::indexOf(const BrowserViewModel &viewModel) const
{
    for (int i = 0; i < count(); ++i) {
        if (viewModelAt(i) == &viewModel)
            return i;
    }
    return -1;
}

QSize TabStrip::tabSizeHint(int index) const
{
    const QSize hint = QTabBar::tabSizeHint(index);
    return {qMin(hint.width(), maximumTabWidth), hint.height()};
}

void TabStrip::changeEvent(QEvent *event)
{
    QTabBar::changeEvent(event);
    // The glyphs are painted in the palette's colours.
    if (event->type() == QEvent::PaletteChange)
        refreshAll();
}

void TabStrip::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("tabCloseButton"));
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    close->setIcon(closeIcon());
    close->setIconSize(QSize(iconSize - 2, iconSize - 2));
    close->setFixedSize(iconSize + 2, iconSize + 2);
    close->setToolTip(QStringLiteral("タブを閉じる"));
    close->setAccessibleName(QStringLiteral("タブを閉じる"));
    connect(close, &QToolButton::clicked, this, [this, close] {
        // Tabs move, so the button finds its tab when clicked.
        for (int i = 0; i < count(); ++i) {
            if (tabButton(i, RightSide) == close) {
                Q_EMIT tabCloseRequested(i);
                return;
            }
        }
    });
    setTabButton(index, RightSide, close);
}

void TabStrip::mouseReleaseEvent(QMouseEvent *event)
{
    const int index = tabAt(event->position().toPoint());
    if (event->button() == Qt::MiddleButton && index >= 0) {
        Q_EMIT tabCloseRequested(index);
        return;
    }
    QTabBar::mouseReleaseEvent(event);
}

void TabStrip::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && tabAt(event->position().toPoint()) < 0) {
        Q_EMIT newTabRequested();
        return;
    }
    QTabBar::mouseDoubleClickEvent(event);
}

QIcon TabStrip::closeIcon() const
{
    return SymbolIcon::icon(QStringLiteral("xmark"), palette().color(QPalette::WindowText),
                            iconSize - 2);
}

void TabStrip::refreshAll()
{
    const QIcon close = closeIcon();
    for (int i = 0; i < count(); ++i) {
        if (const BrowserViewModel *viewModel = viewModelAt(i))
            refresh(*viewModel);
        if (auto *button = qobject_cast<QToolButton *>(tabButton(i, RightSide)))
            button->setIcon(close);
    }
}

void TabStrip::refresh(const BrowserViewModel &viewModel)
{
    const int index = indexOf(viewModel);
    if (index < 0)
        return;
    const QString title = tabTitle(viewModel);
    setTabText(index, title);
    setTabIcon(index, tabIcon(viewModel));
    QString tip = title;
    if (viewModel.isLoading())
        tip += QStringLiteral("\n読み込み中…");
    if (const auto mark = verdictMark(viewModel))
        tip += u'\n' + mark->text;
    setTabToolTip(index, tip);
}

QIcon TabStrip::tabIcon(const BrowserViewModel &viewModel) const
{
    const qreal ratio = devicePixelRatioF();
    const QColor text = palette().color(QPalette::WindowText);
    QPixmap canvas(QSize(iconSize, iconSize) * ratio);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);

    const QWebEnginePage *page = viewModel.webView();
    QPixmap base;
    if (viewModel.isLoading())
        base = SymbolIcon::pixmap(QStringLiteral("hourglass"), text, iconSize, ratio);
    else if (page && !page->icon().isNull())
        base = page->icon().pixmap(QSize(iconSize, iconSize), ratio);
    else
        base = SymbolIcon::pixmap(QStringLiteral("globe"), ViewStyle::secondaryText(this), iconSize,
                                  ratio);
    painter.drawPixmap(QRect(0, 0, iconSize, iconSize), base);

    if (const auto mark = verdictMark(viewModel)) {
        // A disc in the tab's background colour keeps the mark readable
        // over any page icon.
        const QRect corner(iconSize - markSize, iconSize - markSize, markSize, markSize);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawEllipse(corner.adjusted(-1, -1, 1, 1));
        painter.drawPixmap(corner, SymbolIcon::pixmap(mark->symbol, mark->color, markSize, ratio));
    }
    painter.end();
    return QIcon(canvas);
}
