#pragma once

#include "downloads/DownloadItem.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QToolButton;

// One download in the download bar: its file, how far it got or why it
// stopped, and what can be done with it now (open, show in folder, cancel).
class DownloadItemView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int preferredWidth = 300;

    explicit DownloadItemView(const DownloadItem &item, QWidget *parent = nullptr);

    int downloadId() const { return m_item.id; }
    void setItem(const DownloadItem &item);
    // The second line: progress in bytes, "完了", or why it stopped.
    QString statusText() const;

Q_SIGNALS:
    void openRequested(const QString &filePath);
    void showInFolderRequested(const QString &filePath);
    void cancelRequested(int id);

protected:
    void changeEvent(QEvent *event) override;

private:
    void refresh();

    DownloadItem m_item;
    QLabel *m_symbol;
    QLabel *m_name;
    QLabel *m_status;
    QProgressBar *m_progress;
    QToolButton *m_open;
    QToolButton *m_folder;
    QToolButton *m_cancel;
};
