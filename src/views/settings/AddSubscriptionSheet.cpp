#include "views/settings/AddSubscriptionSheet.h"

#include "subscriptions/SubscriptionStore.h"

#include <QLineEdit>
#include <QPushButton>

AddSubscriptionSheet::AddSubscriptionSheet(SubscriptionStore &store, ThemeManager &themeManager,
                                           QWidget *parent)
    : AddRuleSheet(themeManager, QStringLiteral("addSubscription"),
                   QStringLiteral("新しいリストを購読"), 480, parent)
    , m_store(store)
    , m_addressField(new QLineEdit)
{
    m_addressField->setObjectName(QStringLiteral("newSubscriptionAddressField"));
    m_addressField->setPlaceholderText(
        QStringLiteral("リストのアドレス (例: https://example.com/uBlacklist.txt)"));
    setFields({m_addressField}, {m_addressField});
    connect(addButton(), &QPushButton::clicked, this, &AddSubscriptionSheet::addSubscription);
}

bool AddSubscriptionSheet::addSubscription()
{
    const SubscriptionStore::Outcome outcome = m_store.add(m_addressField->text());
    if (!outcome.succeeded()) {
        refuse(outcome.error);
        return false;
    }
    finishAdding();
    return true;
}
