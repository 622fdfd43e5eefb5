#include "views/downloads/DownloadBarView.h"

#include "browser/DownloadManager.h"
#include "views/common/SymbolIcon.h"
#include "views/downloads/DownloadItemView.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Older downloads than these stay in the list but leave the strip.
constexpr int shownItems = 4;

} // namespace

DownloadBarView::DownloadBarView(DownloadManager &manager, QWidget *parent)
    : QWidget(parent)
    , m_manager(manager)
    , m_model(*manager.model())
    , m_items(new QHBoxLayout)
    , m_close(new QToolButton(this))
{
    setObjectName(u"downloadBar"_s);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_items->setContentsMargins(0, 0, 0, 0);
    m_items->setSpacing(4);
    m_close->setObjectName(u"downloadBarCloseButton"_s);
    m_close->setAutoRaise(true);
    m_close->setToolTip(u"閉じる"_s);
    m_close->setAccessibleName(u"閉じる"_s);
    m_close->setIconSize(QSize(16, 16));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 5, 8, 4);
    row->setSpacing(8);
    row->addLayout(m_items);
    row->addStretch(1);
    row->addWidget(m_close, 0, Qt::AlignVCenter);

    // The manager may outlive the bar (a tab's page area closed first); a
    // question nobody can answer refuses the file.
    m_manager.setExecutableQuestion(
        [bar = QPointer<DownloadBarView>(this)](const QString &fileName, const QUrl &url) {
            return bar && askToSaveExecutable(bar->window(), fileName, url);
        });
    connect(m_close, &QToolButton::clicked, this, &DownloadBarView::closeBar);
    connect(&m_model, &DownloadListModel::rowsInserted, this, [this] {
        rebuild();
        show();
    });
    connect(&m_model, &DownloadListModel::rowsRemoved, this, &DownloadBarView::rebuild);
    connect(&m_model, &DownloadListModel::modelReset, this, &DownloadBarView::rebuild);
    connect(&m_model, &DownloadListModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) {
                updateRows(from.row(), to.row());
            });

    restyle();
    rebuild();
    setVisible(m_model.rowCount() > 0);
}

namespace {

struct Answer
{
    QString text;
    QMessageBox::ButtonRole role;
    QString objectName;
};

// A warning asked over parent, whose safe answer (the second) is the default
// and Escape: true when the user chose the first.
bool askWarning(QWidget *parent, const QString &name, const QString &title, const QString &text,
                const QString &details, const Answer &go, const Answer &stay)
{
    QMessageBox box(parent);
    box.setObjectName(name);
    box.setAttribute(Qt::WA_WindowPropagation);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setInformativeText(details);
    QPushButton *goButton = box.addButton(go.text, go.role);
    goButton->setObjectName(go.objectName);
    QPushButton *stayButton = box.addButton(stay.text, stay.role);
    stayButton->setObjectName(stay.objectName);
    box.setDefaultButton(stayButton);
    box.setEscapeButton(stayButton);
    box.exec();
    return box.clickedButton() == goButton;
}

} // namespace

bool DownloadBarView::askToStopDownloads(QWidget *parent, int count)
{
    return askWarning(
        parent, u"downloadsRunningQuestion"_s, u"ダウンロード中のファイルがあります"_s,
        u"%1 件のファイルをダウンロード中です。閉じるとダウンロードは中止されます。"_s.arg(count),
        QString(), {u"中止して閉じる"_s, QMessageBox::DestructiveRole, u"downloadsStopButton"_s},
        {u"キャンセル"_s, QMessageBox::RejectRole, u"downloadsKeepButton"_s});
}

bool DownloadBarView::askToSaveExecutable(QWidget *parent, const QString &fileName, const QUrl &url)
{
    const QString host = url.host().isEmpty() ? url.scheme() : url.host();
    return askWarning(
        parent, u"executableDownloadQuestion"_s, u"プログラムのダウンロード"_s,
        u"「%1」はプログラムとして実行できるファイルです。保存しますか？"_s.arg(fileName),
        u"提供元: %1\n偽のショップや請求書を装ったプログラムは、パソコンを乗っ取ることがあります。"
        "信頼できる提供元のファイルだけを保存してください。"_s.arg(host),
        {u"保存する"_s, QMessageBox::AcceptRole, u"executableSaveButton"_s},
        {u"キャンセル"_s, QMessageBox::RejectRole, u"executableCancelButton"_s});
}

void DownloadBarView::closeBar()
{
    hide();
    m_model.removeFinished();
}

void DownloadBarView::rebuild()
{
    while (QLayoutItem *item = m_items->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<DownloadItem> items = m_model.items();
    for (qsizetype i = items.size() - 1; i >= 0 && i >= items.size() - shownItems; --i) {
        auto *view = new DownloadItemView(items.at(i), this);
        connect(view, &DownloadItemView::openRequested, this,
                [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });
        connect(view, &DownloadItemView::showInFolderRequested, this, [](const QString &path) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
        });
        connect(view, &DownloadItemView::cancelRequested, this,
                [this](int id) { m_manager.cancel(id); });
        m_items->addWidget(view);
    }
    if (items.isEmpty())
        hide();
}

void DownloadBarView::updateRows(int first, int last)
{
    const QList<DownloadItem> items = m_model.items();
    for (int row = first; row <= last && row < items.size(); ++row) {
        const DownloadItem &item = items.at(row);
        for (int i = 0; i < m_items->count(); ++i) {
            auto *view = qobject_cast<DownloadItemView *>(m_items->itemAt(i)->widget());
            if (view && view->downloadId() == item.id)
                view->setItem(item);
        }
    }
}

void DownloadBarView::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(QRect(0, 0, width(), 1), palette().color(QPalette::Mid));
}

void DownloadBarView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        restyle();
}

void DownloadBarView::restyle()
{
    m_close->setIcon(
        SymbolIcon::buttonIcon(u"xmark"_s, palette().color(QPalette::WindowText),
                               palette().color(QPalette::Disabled, QPalette::WindowText), 16));
}
