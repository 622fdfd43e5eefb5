#include "views/settings/AddSubscriptionSheet.h"

#include "subscriptions/SubscriptionStore.h"
#include "views/common/ViewStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AddSubscriptionSheet::AddSubscriptionSheet(SubscriptionStore &store, ThemeManager &themeManager,
                                           QWidget *parent)
    : AddRuleSheet(themeManager, QStringLiteral("addSubscription"),
                   QStringLiteral("新しいリストを購読"), 480, parent)
    , m_store(store)
    , m_addressField(new QLineEdit)
    , m_refusalLabel(new QLabel)
{
    m_addressField->setObjectName(QStringLiteral("newSubscriptionAddressField"));
    m_addressField->setPlaceholderText(
        QStringLiteral("リストのアドレス (例: https://example.com/uBlacklist.txt)"));

    m_refusalLabel->setObjectName(QStringLiteral("addSubscriptionRefusal"));
    m_refusalLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_refusalLabel->setWordWrap(true);
    m_refusalLabel->setTextFormat(Qt::PlainText);
    QPalette palette = m_refusalLabel->palette();
    palette.setColor(QPalette::WindowText, ViewStyle::red());
    m_refusalLabel->setPalette(palette);
    m_refusalLabel->hide();

    setFields({m_addressField}, {m_addressField});
    // Below the field, above the buttons.
    insertBelowFields(m_refusalLabel);
    connect(m_addressField, &QLineEdit::textEdited, m_refusalLabel, &QLabel::hide);
    connect(addButton(), &QPushButton::clicked, this, &AddSubscriptionSheet::addSubscription);
}

bool AddSubscriptionSheet::addSubscription()
{
    const SubscriptionStore::Outcome outcome = m_store.add(m_addressField->text());
    if (!outcome.succeeded()) {
        m_refusalLabel->setText(outcome.error);
        m_refusalLabel->show();
        return false;
    }
    m_refusalLabel->hide();
    finishAdding();
    return true;
}

QString AddSubscriptionSheet::refusal() const
{
    return m_refusalLabel->isVisibleTo(this) ? m_refusalLabel->text() : QString();
}
