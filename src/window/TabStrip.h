#pragma once

#include <QTabBar>

class BrowserViewModel;

// The window's row of tabs, one per page: each shows the page's icon (a globe
// until the page gives one, an hourglass while it loads) with a small mark of
// its verdict (a green seal for a certified shop, amber for caution, red for
// a blocked or suspicious page), and its title, elided.
class TabStrip final : public QTabBar
{
    Q_OBJECT

public:
    static constexpr int maximumTabWidth = 220;
    static constexpr int iconSize = 16;

    explicit TabStrip(QWidget *parent = nullptr);

    // A tab at index that shows viewModel's page from now on.
    void insertPageTab(int index, BrowserViewModel &viewModel);
    BrowserViewModel *viewModelAt(int index) const;
    int indexOf(const BrowserViewModel &viewModel) const;

Q_SIGNALS:
    // A double click beside the tabs, as other browsers take it.
    void newTabRequested();

protected:
    QSize tabSizeHint(int index) const override;
    // A middle click closes the tab under the pointer.
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void tabInserted(int index) override;

private:
    void refresh(const BrowserViewModel &viewModel);
    void refreshAll();
    QIcon tabIcon(const BrowserViewModel &viewModel) const;
    QIcon closeIcon() const;
};
