#include "views/ExclusionRuleSettingsTab.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/AddPatternSheet.h"
#include "views/InsetList.h"
#include "views/PatternRow.h"
#include "views/SymbolIcon.h"
#include "views/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ExclusionRuleSettingsTab::ExclusionRuleSettingsTab(SecurityRuleStore &ruleStore,
                                                   ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
    , m_titleLabel(new QLabel)
    , m_addButton(new QPushButton(QStringLiteral("新規パターン追加")))
    , m_list(new InsetList)
    , m_sheet(new AddPatternSheet(ruleStore, themeManager, this))
{
    setObjectName(QStringLiteral("exclusionRuleSettingsTab"));

    m_titleLabel->setObjectName(QStringLiteral("patternListTitle"));
    m_titleLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    auto *caption = new QLabel(QStringLiteral(
        "悪質ECサイトで頻出する危険TLDやドメインパターンを自動ブロック・除外します。"));
    caption->setObjectName(QStringLiteral("patternListCaption"));
    caption->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    caption->setForegroundRole(QPalette::PlaceholderText);
    caption->setWordWrap(true);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(m_titleLabel);
    titles->addWidget(caption);

    m_addButton->setObjectName(QStringLiteral("addPatternButton"));
    m_addButton->setAutoDefault(false);
    m_addButton->setCursor(Qt::PointingHandCursor);

    auto *header = new QHBoxLayout;
    header->addLayout(titles, 1);
    header->addWidget(m_addButton, 0, Qt::AlignVCenter);

    m_list->setObjectName(QStringLiteral("patternList"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addLayout(header);
    layout->addWidget(m_list, 1);

    connect(m_addButton, &QPushButton::clicked, this,
            &ExclusionRuleSettingsTab::showAddPatternSheet);
    connect(&m_ruleStore, &SecurityRuleStore::excludedPatternsChanged, this,
            &ExclusionRuleSettingsTab::syncRows);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &ExclusionRuleSettingsTab::applyTheme);
    syncRows();
    applyTheme();
}

void ExclusionRuleSettingsTab::showAddPatternSheet()
{
    m_sheet->open();
}

void ExclusionRuleSettingsTab::syncRows()
{
    const QList<ExcludedPattern> &patterns = m_ruleStore.excludedPatterns();
    m_titleLabel->setText(
        QStringLiteral("危険サイト・詐欺パターン除外ルール (%1件)").arg(patterns.size()));

    // Rows are reused in place, so a switch flip does not rebuild the list.
    QList<QWidget *> rows = m_list->rows();
    while (rows.size() > patterns.size())
        rows.removeLast();
    const QColor accent = accentColor(m_themeManager.currentTheme());
    while (rows.size() < patterns.size()) {
        auto *row = new PatternRow;
        row->setSwitchColor(accent);
        connect(row, &PatternRow::toggleRequested, this,
                [this](const QUuid &id) { m_ruleStore.togglePattern(id); });
        connect(row, &PatternRow::removeRequested, this,
                [this](const QUuid &id) { m_ruleStore.removePattern(id); });
        rows.append(row);
    }
    for (int i = 0; i < patterns.size(); ++i)
        static_cast<PatternRow *>(rows.at(i))->setPattern(patterns.at(i));
    m_list->setRows(rows);
}

void ExclusionRuleSettingsTab::applyTheme()
{
    const QColor accent = accentColor(m_themeManager.currentTheme());
    const QColor text = accent.lightnessF() > 0.8 ? QColor(Qt::black) : QColor(Qt::white);
    ViewStyle::makeProminent(m_addButton, accent);
    m_addButton->setIcon(SymbolIcon::icon(QStringLiteral("plus"), text, 14));
    for (QWidget *row : m_list->rows())
        static_cast<PatternRow *>(row)->setSwitchColor(accent);
}
