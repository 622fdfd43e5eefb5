#pragma once

#include "theme/AppTheme.h"

#include <QMap>
#include <QPointer>
#include <QToolBar>

class AddressView;
class BrowserViewModel;
class PageZoom;
class QAction;
class QLabel;
class QMenu;
class QToolButton;
class ShopBadgeView;
class ThemeManager;

// The window's toolbar: back, forward and reload on the leading side, the
// safety badge, the address and the page title in the centre, add-bookmark and the theme
// menu on the trailing side. Everything it shows follows the current tab's
// view model.
class BrowserToolbar final : public QToolBar
{
    Q_OBJECT

public:
    static constexpr int titleMaximumWidth = 250;

    BrowserToolbar(BrowserViewModel &viewModel, ThemeManager &themeManager,
                   QWidget *parent = nullptr);

    // The tab whose page the toolbar shows and commands.
    void setViewModel(BrowserViewModel &viewModel);
    BrowserViewModel &viewModel() const { return *m_viewModel; }
    // The current tab's zoom, null until its page starts. Away from 100 % the
    // toolbar shows the factor, and clicking it goes back to 100 %.
    void setPageZoom(PageZoom *zoom);
    QToolButton *zoomButton() const { return m_zoomButton; }

    QAction *backAction() const { return m_back; }
    QAction *forwardAction() const { return m_forward; }
    QAction *reloadAction() const { return m_reload; }
    QAction *addBookmarkAction() const { return m_addBookmark; }
    QMenu *themeMenu() const { return m_themeMenu; }
    QAction *themeAction(AppTheme theme) const { return m_themeActions.value(theme); }
    ShopBadgeView *badge() const { return m_badge; }
    QLabel *titleLabel() const { return m_title; }
    AddressView *addressView() const { return m_address; }

Q_SIGNALS:
    void addBookmarkRequested();

protected:
    void changeEvent(QEvent *event) override;

private:
    QAction *addButton(const QString &objectName);
    void updateNavigation();
    void updateReload();
    void updateTitle();
    void updateAddress();
    void updateThemeChecks();
    void updateIcons();
    void updateZoom();

    BrowserViewModel *m_viewModel;
    ThemeManager &m_themeManager;
    QAction *m_back;
    QAction *m_forward;
    QAction *m_reload;
    QAction *m_addBookmark;
    QToolButton *m_themeButton;
    QMenu *m_themeMenu;
    QMap<AppTheme, QAction *> m_themeActions;
    ShopBadgeView *m_badge;
    QLabel *m_title;
    AddressView *m_address;
    QToolButton *m_zoomButton;
    QPointer<PageZoom> m_zoom;
    QMetaObject::Connection m_zoomConnection;
};
