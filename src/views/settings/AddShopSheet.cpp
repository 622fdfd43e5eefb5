#include "views/settings/AddShopSheet.h"

#include "rules/SecurityRuleStore.h"

#include <QLineEdit>
#include <QPushButton>

AddShopSheet::AddShopSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                           QWidget *parent)
    : AddRuleSheet(themeManager, QStringLiteral("addShop"),
                   QStringLiteral("新しい認定正規ショップを追加"), 480, parent)
    , m_ruleStore(ruleStore)
    , m_nameField(new QLineEdit)
    , m_domainField(new QLineEdit)
    , m_categoryField(new QLineEdit)
    , m_templateField(new QLineEdit)
{
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
    const QList<QLineEdit *> fields {m_nameField, m_domainField, m_categoryField, m_templateField};
    QFont fieldFont = font();
    fieldFont.setStretch(95);
    for (QLineEdit *field : fields)
        field->setFont(fieldFont);

    setFields(fields, {m_nameField, m_domainField});
    connect(addButton(), &QPushButton::clicked, this, &AddShopSheet::addShop);
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
    if (!m_ruleStore.addCustomShop(name, domain, category, searchTemplate)) {
        refuse(QStringLiteral("「%1」は多くのサイトが共有するドメイン (com や co.jp "
                              "など) のため、ショップのドメインにできません")
                   .arg(domain.trimmed()));
        return false;
    }
    finishAdding();
    return true;
}
