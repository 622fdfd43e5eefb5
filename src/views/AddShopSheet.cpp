#include "views/AddShopSheet.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/ViewStyle.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AddShopSheet::AddShopSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                           QWidget *parent)
    : QDialog(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
    , m_nameField(new QLineEdit)
    , m_domainField(new QLineEdit)
    , m_categoryField(new QLineEdit)
    , m_templateField(new QLineEdit)
    , m_cancelButton(new QPushButton(QStringLiteral("キャンセル")))
    , m_addButton(new QPushButton(QStringLiteral("追加")))
{
    setObjectName(QStringLiteral("addShopSheet"));
    setWindowTitle(QStringLiteral("新しい認定正規ショップを追加"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(480);

    auto *heading = new QLabel(QStringLiteral("新しい認定正規ショップを追加"));
    heading->setObjectName(QStringLiteral("addShopHeading"));
    heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    m_nameField->setObjectName(QStringLiteral("newShopNameField"));
    m_nameField->setPlaceholderText(QStringLiteral("ショップ名 (例: ヨドバシ・ドット・コム)"));
    m_domainField->setObjectName(QStringLiteral("newShopDomainField"));
    m_domainField->setPlaceholderText(QStringLiteral("ドメイン (例: yodobashi.com)"));
    m_categoryField->setObjectName(QStringLiteral("newShopCategoryField"));
    m_categoryField->setPlaceholderText(QStringLiteral("カテゴリ (例: 家電・PC)"));
    m_templateField->setObjectName(QStringLiteral("newShopUrlTemplateField"));
    m_templateField->setPlaceholderText(
        QStringLiteral("検索URLテンプレート (例: https://www.yodobashi.com/search?q={query})"));

    // The template example is a full address; a slightly narrower face
    // lets it show whole in the sheet's fixed width.
    QFont fieldFont = font();
    fieldFont.setStretch(95);
    auto *form = new QVBoxLayout;
    form->setSpacing(8);
    for (QLineEdit *field : {m_nameField, m_domainField, m_categoryField, m_templateField}) {
        field->setFont(fieldFont);
        form->addWidget(field);
    }

    m_cancelButton->setObjectName(QStringLiteral("addShopCancelButton"));
    m_cancelButton->setAutoDefault(false);
    m_addButton->setObjectName(QStringLiteral("addShopConfirmButton"));
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

    connect(m_nameField, &QLineEdit::textChanged, this, &AddShopSheet::updateAddButton);
    connect(m_domainField, &QLineEdit::textChanged, this, &AddShopSheet::updateAddButton);
    connect(m_cancelButton, &QPushButton::clicked, this, &AddShopSheet::reject);
    connect(m_addButton, &QPushButton::clicked, this, &AddShopSheet::addShop);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &AddShopSheet::applyTheme);
    updateAddButton();
    applyTheme();
}

QString AddShopSheet::generatedTemplate(const QString &domain)
{
    return QStringLiteral("https://www.google.co.jp/search?q=site:") + domain
        + QStringLiteral("+{query}");
}

bool AddShopSheet::addShop()
{
    // Only the empty string is missing: a name of blanks is a name.
    const QString name = m_nameField->text();
    const QString domain = m_domainField->text();
    if (name.isEmpty() || domain.isEmpty())
        return false;

    const QString category
        = m_categoryField->text().isEmpty() ? QStringLiteral("一般") : m_categoryField->text();
    const QString searchTemplate
        = m_templateField->text().isEmpty() ? generatedTemplate(domain) : m_templateField->text();
    // The store lower-cases and trims the domain; the template keeps it as typed.
    m_ruleStore.addCustomShop(name, domain, category, searchTemplate);

    for (QLineEdit *field : {m_nameField, m_domainField, m_categoryField, m_templateField})
        field->clear();
    accept();
    return true;
}

void AddShopSheet::updateAddButton()
{
    m_addButton->setEnabled(!m_nameField->text().isEmpty() && !m_domainField->text().isEmpty());
}

void AddShopSheet::applyTheme()
{
    ViewStyle::makeProminent(m_addButton, accentColor(m_themeManager.currentTheme()));
}
