#include "views/downloads/DownloadItemView.h"

#include "downloads/DownloadFileName.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ViewStyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int symbolSize = 22;
constexpr int buttonIconSize = 16;

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Japanese, QLocale::Japan)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QToolButton *makeButton(const QString &objectName, const QString &help, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(help);
    button->setAccessibleName(help);
    button->setIconSize(QSize(buttonIconSize, buttonIconSize));
    return button;
}

} // namespace

DownloadItemView::DownloadItemView(const DownloadItem &item, QWidget *parent)
    : QWidget(parent)
    , m_item(item)
    , m_symbol(new QLabel(this))
    , m_name(new QLabel(this))
    , m_status(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_open(makeButton(u"downloadOpenButton"_s, u"開く"_s, this))
    , m_folder(makeButton(u"downloadFolderButton"_s, u"フォルダに表示"_s, this))
    , m_cancel(makeButton(u"downloadCancelButton"_s, u"キャンセル"_s, this))
{
    setObjectName(u"downloadItem"_s);
    setFixedWidth(preferredWidth);
    m_symbol->setFixedSize(symbolSize, symbolSize);
    m_name->setObjectName(u"downloadName"_s);
    m_name->setTextFormat(Qt::PlainText);
    m_name->setFont(ViewStyle::font(ViewStyle::TextStyle::subheadline, QFont::DemiBold));
    m_status->setObjectName(u"downloadStatus"_s);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_progress->setObjectName(u"downloadProgress"_s);
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(3);
    m_progress->setRange(0, 1000);

    auto *text = new QVBoxLayout;
    text->setContentsMargins(0, 0, 0, 0);
    text->setSpacing(1);
    text->addWidget(m_name);
    text->addWidget(m_status);
    text->addWidget(m_progress);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 4, 4, 4);
    row->setSpacing(6);
    row->addWidget(m_symbol, 0, Qt::AlignVCenter);
    row->addLayout(text, 1);
    row->addWidget(m_open, 0, Qt::AlignVCenter);
    row->addWidget(m_folder, 0, Qt::AlignVCenter);
    row->addWidget(m_cancel, 0, Qt::AlignVCenter);

    connect(m_open, &QToolButton::clicked, this, [this] { Q_EMIT openRequested(m_item.filePath); });
    connect(m_folder, &QToolButton::clicked, this,
            [this] { Q_EMIT showInFolderRequested(m_item.filePath); });
    connect(m_cancel, &QToolButton::clicked, this, [this] { Q_EMIT cancelRequested(m_item.id); });

    refresh();
}

void DownloadItemView::setItem(const DownloadItem &item)
{
    m_item = item;
    refresh();
}

QString DownloadItemView::statusText() const
{
    using State = DownloadItem::State;
    switch (m_item.state) {
    case State::inProgress:
        return m_item.totalBytes > 0
            ? sizeText(m_item.receivedBytes) + u" / "_s + sizeText(m_item.totalBytes)
            : sizeText(m_item.receivedBytes);
    case State::completed:
        return u"完了 — "_s + sizeText(m_item.receivedBytes);
    case State::cancelled:
        return u"キャンセルしました"_s;
    case State::failed:
        return u"失敗: "_s + m_item.reasons.value(0);
    case State::refused:
        return u"ブロックしました: "_s + m_item.reasons.value(0);
    }
    return QString();
}

void DownloadItemView::refresh()
{
    using State = DownloadItem::State;
    const State state = m_item.state;
    const int nameWidth = preferredWidth - symbolSize - 3 * (buttonIconSize + 12) - 24;
    m_name->setText(m_name->fontMetrics().elidedText(m_item.fileName, Qt::ElideMiddle, nameWidth));
    const QString status = statusText();
    m_status->setText(m_status->fontMetrics().elidedText(status, Qt::ElideRight, nameWidth));
    // A refused or failed download says why in full on hover.
    m_status->setToolTip(m_item.reasons.isEmpty() ? QString() : m_item.reasons.join(u'\n'));
    setToolTip(m_item.url.toDisplayString());

    m_progress->setVisible(state == State::inProgress);
    const double progress = m_item.progress();
    // An unknown size shows the toolkit's busy bar.
    m_progress->setMaximum(progress < 0 ? 0 : 1000);
    m_progress->setValue(progress < 0 ? 0 : int(progress * 1000));
    // Opening a program file would run it: only its folder is offered.
    m_open->setVisible(state == State::completed
                       && !DownloadFileName::isExecutable(m_item.fileName));
    m_folder->setVisible(state == State::completed);
    m_cancel->setVisible(state == State::inProgress);

    const QColor text = palette().color(QPalette::WindowText);
    const QColor disabled = palette().color(QPalette::Disabled, QPalette::WindowText);
    const QColor accent = palette().color(QPalette::Highlight);
    const char *symbol = "doc";
    QColor symbolColor = accent;
    if (state == State::refused) {
        symbol = "nosign";
        symbolColor = ViewStyle::red();
    } else if (state == State::failed) {
        symbol = "exclamationmark.circle.fill";
        symbolColor = ViewStyle::red();
    } else if (state == State::cancelled) {
        symbolColor = ViewStyle::secondaryText(this);
    } else if (state == State::inProgress) {
        symbol = "arrow.down.circle";
    }
    m_symbol->setPixmap(SymbolIcon::pixmap(QString::fromLatin1(symbol), symbolColor, symbolSize));
    m_open->setIcon(
        SymbolIcon::buttonIcon(u"arrow.up.right.square"_s, text, disabled, buttonIconSize));
    m_folder->setIcon(SymbolIcon::buttonIcon(u"folder"_s, text, disabled, buttonIconSize));
    m_cancel->setIcon(
        SymbolIcon::buttonIcon(u"xmark.circle.fill"_s, text, disabled, buttonIconSize));
    const QColor statusColor = state == State::refused || state == State::failed
        ? ViewStyle::red()
        : ViewStyle::secondaryText(this);
    m_status->setStyleSheet(u"QLabel { color: %1; }"_s.arg(ViewStyle::rgba(statusColor)));
    m_progress->setStyleSheet(u"QProgressBar { border: none; background: %1; }"
                              " QProgressBar::chunk { background: %2; }"_s.arg(
                                  ViewStyle::rgba(text, 0.12), ViewStyle::rgba(accent)));
}

void DownloadItemView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refresh();
}
