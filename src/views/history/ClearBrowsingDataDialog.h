#pragma once

#include "browser/BrowsingDataCleaner.h"

#include <QDialog>

class HistoryStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QWebEngineProfile;

// "閲覧データを削除": what to delete (cookies and site data, cache,
// history) and over which period. The period narrows the history only; the
// dialog says so when anything else is ticked with a shorter period.
class ClearBrowsingDataDialog final : public QDialog
{
    Q_OBJECT

public:
    ClearBrowsingDataDialog(QWebEngineProfile &profile, HistoryStore &history,
                            const QString &dataFolder, QWidget *parent = nullptr);

    QComboBox *rangeBox() const { return m_range; }
    QCheckBox *cookiesBox() const { return m_cookies; }
    QCheckBox *cacheBox() const { return m_cache; }
    QCheckBox *historyBox() const { return m_history; }
    QPushButton *clearButton() const { return m_clearButton; }
    QLabel *rangeNote() const { return m_rangeNote; }

    BrowsingDataCleaner::Kinds selectedKinds() const;
    BrowsingDataCleaner::TimeRange selectedRange() const;

    // Deletes what is ticked and closes; a part that failed is reported.
    void clearSelected();

private:
    void updateState();

    BrowsingDataCleaner m_cleaner;
    QComboBox *m_range;
    QCheckBox *m_cookies;
    QCheckBox *m_cache;
    QCheckBox *m_history;
    QLabel *m_rangeNote;
    QPushButton *m_clearButton;
};
