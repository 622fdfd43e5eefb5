#include "views/common/InsetList.h"

#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int cardInset = 10;
constexpr int rowInset = 12;

} // namespace

InsetList::InsetList(QWidget *parent)
    : QScrollArea(parent)
    , m_card(new QFrame)
    , m_cardLayout(new QVBoxLayout(m_card))
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto *content = new QWidget;
    content->setObjectName(QStringLiteral("insetListContent"));
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(cardInset, cardInset, cardInset, cardInset);
    contentLayout->setSpacing(0);
    contentLayout->addWidget(m_card);
    contentLayout->addStretch(1);

    m_card->setObjectName(QStringLiteral("insetListCard"));
    // Painted here rather than by a style sheet: a style sheet fixes the
    // colours when it is set and stops the window's palette (light or dark,
    // by theme) from reaching the rows.
    m_card->installEventFilter(this);
    m_cardLayout->setContentsMargins(rowInset, 2, rowInset, 2);
    m_cardLayout->setSpacing(0);
    m_card->hide();

    setWidget(content);
    // Let the tab or window background show around the card (setWidget
    // turns filling on).
    content->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

void InsetList::setRows(const QList<QWidget *> &rows)
{
    // Keep the reading position when the same rows come back with new data.
    const int scrollPosition = verticalScrollBar()->value();

    for (QWidget *row : std::as_const(m_rows)) {
        m_cardLayout->removeWidget(row);
        if (!rows.contains(row)) {
            row->hide();
            row->deleteLater();
        }
    }
    for (QWidget *separator : std::as_const(m_separators))
        delete separator;
    m_separators.clear();

    m_rows = rows;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (i > 0) {
            auto *separator = new QWidget(m_card);
            separator->setFixedHeight(1);
            separator->setBackgroundRole(QPalette::Midlight);
            separator->setAutoFillBackground(true);
            m_separators.append(separator);
            m_cardLayout->addWidget(separator);
        }
        QWidget *row = m_rows.at(i);
        row->setParent(m_card);
        m_cardLayout->addWidget(row);
        row->show();
    }
    m_card->setVisible(!m_rows.isEmpty());

    verticalScrollBar()->setValue(scrollPosition);
}

bool InsetList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_card && event->type() == QEvent::Paint) {
        QPainter painter(m_card);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(m_card->palette().color(QPalette::Midlight), 1));
        painter.setBrush(m_card->palette().color(QPalette::Base));
        painter.drawRoundedRect(QRectF(m_card->rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
    return QScrollArea::eventFilter(watched, event);
}
