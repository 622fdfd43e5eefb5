#include "views/settings/RuleRow.h"

#include "views/common/SymbolIcon.h"
#include "views/common/ToggleSwitch.h"
#include "views/common/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

RuleRow::RuleRow(const QString &namePrefix, const QColor &badgeColor, QWidget *parent)
    : QWidget(parent)
    , m_switch(new ToggleSwitch)
    , m_customBadge(new QLabel(QStringLiteral("カスタム")))
    , m_deleteButton(new QToolButton)
{
    setObjectName(namePrefix + QStringLiteral("Row"));

    m_switch->setObjectName(namePrefix + QStringLiteral("Switch"));

    m_customBadge->setObjectName(QStringLiteral("customBadge"));
    m_customBadge->setFont(ViewStyle::systemFont(9, QFont::Bold));
    m_customBadge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QColor badgeBackground = badgeColor;
    badgeBackground.setAlphaF(0.15);
    ViewStyle::makeBadge(m_customBadge, badgeBackground, badgeColor, 3, 4, 1);

    m_deleteButton->setObjectName(namePrefix + QStringLiteral("DeleteButton"));
    m_deleteButton->setIcon(SymbolIcon::icon(QStringLiteral("trash"), ViewStyle::red(), 16));
    m_deleteButton->setIconSize(QSize(16, 16));
    m_deleteButton->setToolTip(QStringLiteral("削除"));
    ViewStyle::makePlain(m_deleteButton);

    connect(m_switch, &ToggleSwitch::clicked, this, [this] { Q_EMIT toggleRequested(m_id); });
    connect(m_deleteButton, &QToolButton::clicked, this, [this] { Q_EMIT removeRequested(m_id); });
}

void RuleRow::setTextLines(const QList<QWidget *> &firstLine, QWidget *secondLine)
{
    auto *line = new QHBoxLayout;
    line->setSpacing(8);
    for (QWidget *text : firstLine)
        line->addWidget(text);
    line->addWidget(m_customBadge);
    line->addStretch(1);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addLayout(line);
    texts->addWidget(secondLine);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4 + 4, 0, 4 + 4);
    layout->setSpacing(12);
    layout->addWidget(m_switch, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->addWidget(m_deleteButton, 0, Qt::AlignVCenter);
}

void RuleRow::showRule(const QUuid &id, bool isEnabled, const QString &name, bool isCustom)
{
    m_id = id;
    m_switch->setChecked(isEnabled);
    m_switch->setAccessibleName(name);
    m_customBadge->setVisible(isCustom);
    // Built-in rules can only be switched off or restored by the reset.
    m_deleteButton->setVisible(isCustom);
}

void RuleRow::setSwitchColor(const QColor &color)
{
    m_switch->setOnColor(color);
}
