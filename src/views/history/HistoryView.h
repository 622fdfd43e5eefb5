#pragma once

#include <QWidget>

class HistoryItemDelegate;
class HistoryModel;
class HistoryStore;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QStackedWidget;
class QTreeView;
class QUrl;
class ThemeManager;

// The "履歴" section: the pages shown in normal windows, newest first and
// grouped by day, with a search over titles and addresses, and a clear
// button that asks first. Opening a visit is reported through visitSelected;
// deleting one or all goes straight to the store, which every open history
// list follows.
class HistoryView final : public QWidget
{
    Q_OBJECT

public:
    HistoryView(HistoryStore &store, ThemeManager &themeManager, QWidget *parent = nullptr);

    QString searchText() const;
    QTreeView *list() const { return m_list; }
    HistoryModel *model() const { return m_model; }
    bool isShowingEmptyState() const;

    // Asks before deleting every visit; the box is window-modal and deletes
    // itself.
    void showClearConfirmation();
    QMessageBox *clearConfirmation() const { return m_confirmation; }

Q_SIGNALS:
    void visitSelected(const QUrl &url);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildEmptyState();
    void expandDays(int first, int last);
    void fetchMoreNearEnd();
    void updateContent();
    void openCurrent();
    void removeCurrent();
    void removeVisit(qint64 id);
    void applyTheme();

    HistoryStore &m_store;
    ThemeManager &m_themeManager;
    HistoryModel *m_model;
    QLabel *m_headingSymbol;
    QLineEdit *m_searchField;
    QPushButton *m_clearButton;
    QStackedWidget *m_content;
    QWidget *m_emptyState;
    QLabel *m_emptyIcon;
    QLabel *m_emptyTitle;
    QLabel *m_emptyHint;
    QTreeView *m_list;
    HistoryItemDelegate *m_delegate;
    QMessageBox *m_confirmation = nullptr;
};
