#pragma once

#include "views/settings/AddRuleSheet.h"

class SubscriptionStore;

// The sheet that subscribes to a list by its https address. A refusal (not
// https, already subscribed, unreadable) stays on the sheet, in Japanese,
// with the address as typed.
class AddSubscriptionSheet final : public AddRuleSheet
{
    Q_OBJECT

public:
    explicit AddSubscriptionSheet(SubscriptionStore &store, ThemeManager &themeManager,
                                  QWidget *parent = nullptr);

    // Subscribes; returns whether the store took the address.
    bool addSubscription();

private:
    SubscriptionStore &m_store;
    QLineEdit *m_addressField;
};
