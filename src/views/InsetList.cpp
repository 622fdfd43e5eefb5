#include "views/InsetList.h"

#include <QFrame>
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
    m_card->setStyleSheet(QStringLiteral("#insetListCard { background: palette(base);"
                                         " border: 1px solid palette(midlight);"
                                         " border-radius: 10px; }"));
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
    for (QFrame *separator : std::as_const(m_separators))
        delete separator;
    m_separators.clear();

    m_rows = rows;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (i > 0) {
            auto *separator = new QFrame(m_card);
            separator->setFrameShape(QFrame::HLine);
            separator->setFrameShadow(QFrame::Plain);
            separator->setFixedHeight(1);
            separator->setStyleSheet(QStringLiteral("color: palette(midlight);"));
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
