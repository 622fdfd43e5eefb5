#pragma once

#include <QWidget>

class DownloadListModel;
class DownloadManager;
class QHBoxLayout;
class QToolButton;
class QUrl;

// The strip under the page that lists the window's downloads, newest first,
// and asks before a program file is saved. It appears with a new download
// and goes when the user closes it, which also clears the finished ones.
class DownloadBarView final : public QWidget
{
    Q_OBJECT

public:
    // The bar shows the manager's list and becomes the manager's way of
    // asking about program files.
    explicit DownloadBarView(DownloadManager &manager, QWidget *parent = nullptr);

    // The question before saving a program file: a modal message box over
    // parent. True when the user chose to save.
    static bool askToSaveExecutable(QWidget *parent, const QString &fileName, const QUrl &url);
    // The question before closing or quitting while count downloads still
    // run, which closing stops. True when the user chose to close anyway.
    static bool askToStopDownloads(QWidget *parent, int count);

    void closeBar();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void rebuild();
    void updateRows(int first, int last);
    void restyle();

    DownloadManager &m_manager;
    DownloadListModel &m_model;
    QHBoxLayout *m_items;
    QToolButton *m_close;
};
