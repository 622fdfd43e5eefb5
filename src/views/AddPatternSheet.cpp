#include "views/AddPatternSheet.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AddPatternSheet::AddPatternSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                 QWidget *parent)
    : QDialog(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
    , m_patternField(new QLineEdit)
    , m_reasonField(new QLineEdit)
    , m_cancelButton(new QPushButton(QStringLiteral("キャンセル")))
    , m_addButton(new QPushButton(QStringLiteral("追加")))
{
    setObjectName(QStringLiteral("addPatternSheet"));
    setWindowTitle(QStringLiteral("新しい除外パターンを追加"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(450);

    auto *heading = new QLabel(QStringLiteral("新しい除外パターンを追加"));
    heading->setObjectName(QStringLiteral("addPatternHeading"));
    heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    m_patternField->setObjectName(QStringLiteral("newPatternField"));
    m_patternField->setPlaceholderText(
        QStringLiteral("除外パターン (例: *.top や example-shop.top)"));
    m_reasonField->setObjectName(QStringLiteral("newPatternReasonField"));
    m_reasonField->setPlaceholderText(QStringLiteral("除外理由 (例: 詐欺通販頻出TLD)"));

    auto *form = new QVBoxLayout;
    form->setSpacing(8);
    form->addWidget(m_patternField);
    form->addWidget(m_reasonField);

    m_cancelButton->setObjectName(QStringLiteral("addPatternCancelButton"));
    m_cancelButton->setAutoDefault(false);
    m_addButton->setObjectName(QStringLiteral("addPatternConfirmButton"));
    m_addButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_addButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(heading);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_patternField, &QLineEdit::textChanged, this, &AddPatternSheet::updateAddButton);
    connect(m_cancelButton, &QPushButton::clicked, this, &AddPatternSheet::reject);
    connect(m_addButton, &QPushButton::clicked, this, &AddPatternSheet::addPattern);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &AddPatternSheet::applyTheme);
    updateAddButton();
    applyTheme();
}

bool AddPatternSheet::addPattern()
{
    // A pattern of blanks passes; the store trims it to an empty pattern.
    const QString pattern = m_patternField->text();
    if (pattern.isEmpty())
        return false;

    const QString reason = m_reasonField->text().isEmpty()
        ? QStringLiteral("ユーザー指定除外パターン")
        : m_reasonField->text();
    m_ruleStore.addCustomPattern(pattern, reason);

    m_patternField->clear();
    m_reasonField->clear();
    accept();
    return true;
}

void AddPatternSheet::updateAddButton()
{
    m_addButton->setEnabled(!m_patternField->text().isEmpty());
}

void AddPatternSheet::applyTheme()
{
    ViewStyle::makeProminent(m_addButton, accentColor(m_themeManager.currentTheme()));
}
