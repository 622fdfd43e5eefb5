#include "window/BrowserToolbar.h"

#include "browser/BrowserViewModel.h"
#include "browser/PageZoom.h"
#include "theme/ThemeManager.h"
#include "views/browser/AddressView.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"
#include "views/warning/ShopBadgeView.h"
#include "zoom/ZoomLevels.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

constexpr int toolbarIconSize = 18;

QWidget *flexibleSpace(QWidget *parent)
{
    auto *space = new QWidget(parent);
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return space;
}

} // namespace

BrowserToolbar::BrowserToolbar(BrowserViewModel &viewModel, ThemeManager &themeManager,
                               QWidget *parent)
    : QToolBar(parent)
    , m_viewModel(nullptr)
    , m_themeManager(themeManager)
    , m_back(new QAction(this))
    , m_forward(new QAction(this))
    , m_reload(new QAction(this))
    , m_addBookmark(new QAction(this))
    , m_themeButton(new QToolButton(this))
    , m_themeMenu(new QMenu(this))
    , m_badge(nullptr)
    , m_title(new QLabel(this))
    , m_address(new AddressView(this))
{
    setObjectName(QStringLiteral("mainToolBar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContextMenuPolicy(Qt::PreventContextMenu);

    m_back->setObjectName(QStringLiteral("backAction"));
    m_back->setText(QStringLiteral("戻る"));
    m_back->setToolTip(QStringLiteral("戻る"));
    m_back->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    connect(m_back, &QAction::triggered, this, [this] { m_viewModel->goBack(); });

    m_forward->setObjectName(QStringLiteral("forwardAction"));
    m_forward->setText(QStringLiteral("進む"));
    m_forward->setToolTip(QStringLiteral("進む"));
    m_forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    connect(m_forward, &QAction::triggered, this, [this] { m_viewModel->goForward(); });

    m_reload->setObjectName(QStringLiteral("reloadAction"));
    // The button stops a load under way; its keys (F5, Ctrl+R) are the
    // window's page actions and always reload.
    connect(m_reload, &QAction::triggered, this, [this] {
        if (m_viewModel->isLoading())
            m_viewModel->stop();
        else
            m_viewModel->reload();
    });

    addAction(m_back);
    addAction(m_forward);
    addAction(m_reload);
    widgetForAction(m_back)->setObjectName(QStringLiteral("backButton"));
    widgetForAction(m_forward)->setObjectName(QStringLiteral("forwardButton"));
    widgetForAction(m_reload)->setObjectName(QStringLiteral("reloadButton"));

    addWidget(flexibleSpace(this));

    auto *principal = new QWidget(this);
    principal->setObjectName(QStringLiteral("toolbarPrincipal"));
    auto *row = new QHBoxLayout(principal);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_badge = new ShopBadgeView(principal);
    m_badge->setObjectName(QStringLiteral("shopBadge"));
    m_title->setObjectName(QStringLiteral("pageTitleLabel"));
    m_title->setFont(ViewStyle::systemFont(11));
    m_title->setForegroundRole(QPalette::PlaceholderText);
    m_title->setMaximumWidth(titleMaximumWidth);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setWordWrap(false);
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
    row->addWidget(m_address, 0, Qt::AlignVCenter);
    row->addWidget(m_title, 0, Qt::AlignVCenter);
    m_zoomButton = new QToolButton(principal);
    m_zoomButton->setObjectName(QStringLiteral("zoomButton"));
    m_zoomButton->setAutoRaise(true);
    m_zoomButton->setFont(ViewStyle::systemFont(11));
    m_zoomButton->setToolTip(QStringLiteral("実際のサイズに戻す (Ctrl+0)"));
    m_zoomButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_zoomButton->hide();
    connect(m_zoomButton, &QToolButton::clicked, this, [this] {
        if (m_zoom)
            m_zoom->reset();
    });
    row->addWidget(m_zoomButton, 0, Qt::AlignVCenter);
    addWidget(principal);

    addWidget(flexibleSpace(this));

    m_addBookmark->setObjectName(QStringLiteral("addBookmarkAction"));
    m_addBookmark->setText(QStringLiteral("現在のページをブックマークに追加"));
    m_addBookmark->setToolTip(QStringLiteral("現在のページをブックマークに追加"));
    m_addBookmark->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(m_addBookmark, &QAction::triggered, this, &BrowserToolbar::addBookmarkRequested);
    addAction(m_addBookmark);
    widgetForAction(m_addBookmark)->setObjectName(QStringLiteral("addBookmarkButton"));

    m_themeMenu->setObjectName(QStringLiteral("themeMenu"));
    // A pop-up is a window of its own: without this it would open in the
    // application's colours on a dark-themed window.
    m_themeMenu->setAttribute(Qt::WA_WindowPropagation);
    // Not an exclusive group: that would draw radio dots, and the current
    // theme is marked with a check mark. The manager's signal keeps exactly
    // one item checked.
    const QList<AppTheme> themes = allAppThemes();
    for (AppTheme theme : themes) {
        QAction *action = m_themeMenu->addAction(displayName(theme));
        action->setObjectName(QStringLiteral("theme_") + rawValue(theme));
        action->setCheckable(true);
        m_themeActions.insert(theme, action);
        connect(action, &QAction::triggered, this,
                [this, theme] { m_themeManager.setCurrentTheme(theme); });
    }
    m_themeButton->setObjectName(QStringLiteral("themeMenuButton"));
    m_themeButton->setToolTip(QStringLiteral("カラーテーマの変更"));
    m_themeButton->setAccessibleName(QStringLiteral("カラーテーマの変更"));
    m_themeButton->setMenu(m_themeMenu);
    m_themeButton->setPopupMode(QToolButton::InstantPopup);
    m_themeButton->setAutoRaise(true);
    m_themeButton->setIconSize(QSize(toolbarIconSize, toolbarIconSize));
    // The drop-down arrow would make this one button wider than its
    // neighbours; the palette icon already says it opens a menu.
    m_themeButton->setStyleSheet(
        QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    addWidget(m_themeButton);

    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &BrowserToolbar::updateThemeChecks);

    setViewModel(viewModel);
    updateThemeChecks();
}

void BrowserToolbar::setViewModel(BrowserViewModel &viewModel)
{
    if (m_viewModel)
        disconnect(m_viewModel, nullptr, this, nullptr);
    m_viewModel = &viewModel;
    connect(m_viewModel, &BrowserViewModel::canGoBackChanged, this,
            &BrowserToolbar::updateNavigation);
    connect(m_viewModel, &BrowserViewModel::canGoForwardChanged, this,
            &BrowserToolbar::updateNavigation);
    connect(m_viewModel, &BrowserViewModel::isBlockedChanged, this,
            &BrowserToolbar::updateNavigation);
    connect(m_viewModel, &BrowserViewModel::currentURLChanged, this,
            &BrowserToolbar::updateNavigation);
    connect(m_viewModel, &BrowserViewModel::certificateProblemChanged, this,
            &BrowserToolbar::updateAddress);
    connect(m_viewModel, &BrowserViewModel::isLoadingChanged, this, &BrowserToolbar::updateReload);
    connect(m_viewModel, &BrowserViewModel::pageTitleChanged, this, &BrowserToolbar::updateTitle);
    connect(m_viewModel, &BrowserViewModel::currentURLChanged, this, &BrowserToolbar::updateTitle);
    connect(m_viewModel, &BrowserViewModel::isBlockedChanged, this, &BrowserToolbar::updateTitle);
    connect(m_viewModel, &BrowserViewModel::certificateProblemChanged, this,
            &BrowserToolbar::updateTitle);
    connect(m_viewModel, &BrowserViewModel::safetyLevelChanged, this,
            &BrowserToolbar::updateAddress);
    connect(m_viewModel, &BrowserViewModel::currentURLChanged, this,
            &BrowserToolbar::updateAddress);
    connect(m_viewModel, &BrowserViewModel::isBlockedChanged, this, &BrowserToolbar::updateAddress);
    connect(m_viewModel, &BrowserViewModel::pendingBlockedURLChanged, this,
            &BrowserToolbar::updateAddress);
    connect(m_viewModel, &BrowserViewModel::isProceededChanged, this,
            [this] { m_badge->setProceeded(m_viewModel->isProceeded()); });

    m_badge->setProceeded(m_viewModel->isProceeded());
    updateAddress();
    updateNavigation();
    updateReload();
    updateTitle();
}

void BrowserToolbar::changeEvent(QEvent *event)
{
    QToolBar::changeEvent(event);
    // The icons are painted in the palette's text colour; a theme that
    // switches between light and dark needs them painted again.
    if (event->type() == QEvent::PaletteChange)
        updateIcons();
}

void BrowserToolbar::updateNavigation()
{
    // Back stays usable while a warning is shown: it is how the warning goes.
    m_back->setEnabled(m_viewModel->canGoBack() || m_viewModel->isBlocked());
    m_forward->setEnabled(m_viewModel->canGoForward());
    m_addBookmark->setEnabled(!m_viewModel->shownURL().isEmpty());
}

void BrowserToolbar::updateReload()
{
    const bool loading = m_viewModel->isLoading();
    const QString help = loading ? QStringLiteral("中止") : QStringLiteral("更新");
    m_reload->setText(help);
    m_reload->setToolTip(help);
    updateIcons();
}

void BrowserToolbar::updateTitle()
{
    // Beside a warning's stopped address, the title of the page behind the
    // warning would name the wrong site: the page's title shows only while
    // it is what the tab shows.
    const QString title = m_viewModel->pageTitle();
    const bool show
        = m_viewModel->webView() && !title.isEmpty() && m_viewModel->shownTitle() == title;
    m_title->setToolTip(show ? title : QString());
    m_title->setText(
        show ? m_title->fontMetrics().elidedText(title, Qt::ElideRight, titleMaximumWidth)
             : QString());
    m_title->setVisible(show);
}

void BrowserToolbar::updateAddress()
{
    // While a warning is up it is the stopped address that matters, not the
    // page behind the warning.
    m_address->setAddress(m_viewModel->shownURL(), m_viewModel->isConnectionUntrusted());
    m_badge->setSafetyLevel(m_viewModel->safetyLevel());
    m_badge->setInsecure(m_address->isInsecure());
}

void BrowserToolbar::setPageZoom(PageZoom *zoom)
{
    disconnect(m_zoomConnection);
    m_zoom = zoom;
    if (zoom)
        m_zoomConnection
            = connect(zoom, &PageZoom::factorChanged, this, &BrowserToolbar::updateZoom);
    updateZoom();
}

void BrowserToolbar::updateZoom()
{
    const double factor = m_zoom ? m_zoom->factor() : ZoomLevels::defaultFactor;
    const bool shown = !qFuzzyCompare(factor, ZoomLevels::defaultFactor);
    m_zoomButton->setText(shown ? QStringLiteral("%1%").arg(qRound(factor * 100)) : QString());
    m_zoomButton->setVisible(shown);
}

void BrowserToolbar::updateThemeChecks()
{
    const AppTheme current = m_themeManager.currentTheme();
    for (auto it = m_themeActions.cbegin(); it != m_themeActions.cend(); ++it)
        it.value()->setChecked(it.key() == current);
}

void BrowserToolbar::updateIcons()
{
    const QColor normal = palette().color(QPalette::WindowText);
    const QColor disabled = palette().color(QPalette::Disabled, QPalette::WindowText);
    const auto icon = [&](const char *name) {
        return SymbolIcon::buttonIcon(QString::fromLatin1(name), normal, disabled, toolbarIconSize);
    };
    m_back->setIcon(icon("chevron.left"));
    m_forward->setIcon(icon("chevron.right"));
    m_reload->setIcon(m_viewModel->isLoading() ? icon("xmark") : icon("arrow.clockwise"));
    m_addBookmark->setIcon(icon("star"));
    m_themeButton->setIcon(icon("paintpalette"));
}
