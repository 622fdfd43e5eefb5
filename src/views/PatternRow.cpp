#include "views/PatternRow.h"

#include "views/ElidedLabel.h"
#include "views/SymbolIcon.h"
#include "views/ToggleSwitch.h"
#include "views/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

PatternRow::PatternRow(QWidget *parent)
    : QWidget(parent)
    , m_switch(new ToggleSwitch)
    , m_patternLabel(new ElidedLabel)
    , m_customBadge(new QLabel(QStringLiteral("カスタム")))
    , m_reasonLabel(new ElidedLabel)
    , m_deleteButton(new QToolButton)
{
    setObjectName(QStringLiteral("patternRow"));

    m_switch->setObjectName(QStringLiteral("patternSwitch"));
    m_patternLabel->setObjectName(QStringLiteral("patternLabel"));
    m_patternLabel->setFont(ViewStyle::monospaceFont(13, QFont::Bold));

    m_customBadge->setObjectName(QStringLiteral("customBadge"));
    m_customBadge->setFont(ViewStyle::systemFont(9, QFont::Bold));
    m_customBadge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QColor badgeBackground = ViewStyle::orange();
    badgeBackground.setAlphaF(0.15);
    ViewStyle::makeBadge(m_customBadge, badgeBackground, ViewStyle::orange(), 3, 4, 1);

    m_reasonLabel->setObjectName(QStringLiteral("patternReasonLabel"));
    m_reasonLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_reasonLabel->setForegroundRole(QPalette::PlaceholderText);

    m_deleteButton->setObjectName(QStringLiteral("patternDeleteButton"));
    m_deleteButton->setIcon(SymbolIcon::icon(QStringLiteral("trash"), ViewStyle::red(), 16));
    m_deleteButton->setIconSize(QSize(16, 16));
    m_deleteButton->setToolTip(QStringLiteral("削除"));
    ViewStyle::makePlain(m_deleteButton);

    auto *patternLine = new QHBoxLayout;
    patternLine->setSpacing(8);
    patternLine->addWidget(m_patternLabel);
    patternLine->addWidget(m_customBadge);
    patternLine->addStretch(1);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addLayout(patternLine);
    texts->addWidget(m_reasonLabel);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4 + 4, 0, 4 + 4);
    layout->setSpacing(12);
    layout->addWidget(m_switch, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->addWidget(m_deleteButton, 0, Qt::AlignVCenter);

    connect(m_switch, &ToggleSwitch::clicked, this,
            [this] { Q_EMIT toggleRequested(m_pattern.id); });
    connect(m_deleteButton, &QToolButton::clicked, this,
            [this] { Q_EMIT removeRequested(m_pattern.id); });
}

void PatternRow::setPattern(const ExcludedPattern &pattern)
{
    m_pattern = pattern;
    m_switch->setChecked(pattern.isEnabled);
    m_switch->setAccessibleName(pattern.pattern);
    m_patternLabel->setText(pattern.pattern);
    m_customBadge->setVisible(pattern.isCustom);
    m_reasonLabel->setText(pattern.reason);
    // Built-in patterns can only be switched off or restored by the reset.
    m_deleteButton->setVisible(pattern.isCustom);
}

void PatternRow::setSwitchColor(const QColor &color)
{
    m_switch->setOnColor(color);
}
