#include "views/settings/RuleListSettingsTab.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/common/InsetList.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"
#include "views/settings/RuleRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RuleListSettingsTab::RuleListSettingsTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                         const Texts &texts, RuleAction toggleRule,
                                         RuleAction removeRule, QWidget *parent)
    : QWidget(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
    , m_toggleRule(toggleRule)
    , m_removeRule(removeRule)
    , m_titleFormat(texts.titleFormat)
    , m_titleLabel(new QLabel)
    , m_addButton(new QPushButton(texts.addButtonText))
    , m_list(new InsetList)
{
    setObjectName(texts.objectName);

    m_titleLabel->setObjectName(texts.listName + QStringLiteral("Title"));
    m_titleLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    auto *caption = new QLabel(texts.caption);
    caption->setObjectName(texts.listName + QStringLiteral("Caption"));
    caption->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    caption->setForegroundRole(QPalette::PlaceholderText);
    caption->setWordWrap(true);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(m_titleLabel);
    titles->addWidget(caption);

    m_addButton->setObjectName(texts.addButtonName);
    m_addButton->setAutoDefault(false);
    m_addButton->setCursor(Qt::PointingHandCursor);

    auto *header = new QHBoxLayout;
    header->addLayout(titles, 1);
    header->addWidget(m_addButton, 0, Qt::AlignVCenter);

    m_list->setObjectName(texts.listName);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addLayout(header);
    layout->addWidget(m_list, 1);

    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &RuleListSettingsTab::applyTheme);
    applyTheme();
}

void RuleListSettingsTab::syncRows(
    qsizetype ruleCount, const std::function<RuleRow *()> &createRow,
    const std::function<void(RuleRow *row, qsizetype index)> &showRule)
{
    m_titleLabel->setText(m_titleFormat.arg(ruleCount));

    // Rows are reused in place, so a switch flip does not rebuild the list.
    QList<QWidget *> rows = m_list->rows();
    while (rows.size() > ruleCount)
        rows.removeLast();
    const QColor accent = accentColor(m_themeManager.currentTheme());
    while (rows.size() < ruleCount) {
        RuleRow *row = createRow();
        row->setSwitchColor(accent);
        connect(row, &RuleRow::toggleRequested, this,
                [this](const QUuid &id) { (m_ruleStore.*m_toggleRule)(id); });
        connect(row, &RuleRow::removeRequested, this,
                [this](const QUuid &id) { (m_ruleStore.*m_removeRule)(id); });
        rows.append(row);
    }
    for (qsizetype i = 0; i < ruleCount; ++i)
        showRule(static_cast<RuleRow *>(rows.at(i)), i);
    m_list->setRows(rows);
}

void RuleListSettingsTab::applyTheme()
{
    const QColor accent = accentColor(m_themeManager.currentTheme());
    const QColor text = textOnAccent(accent);
    ViewStyle::makeProminent(m_addButton, accent);
    m_addButton->setIcon(SymbolIcon::icon(QStringLiteral("plus"), text, 14));
    for (QWidget *row : m_list->rows())
        static_cast<RuleRow *>(row)->setSwitchColor(accent);
}
