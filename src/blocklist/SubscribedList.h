#pragma once

#include "blocklist/BlockList.h"

#include <QString>
#include <QUuid>

#include <memory>

// A subscribed block list as verdicts use it: the parsed copy in use and the
// name its reason shows. The copy is immutable, so every holder shares it.
struct SubscribedList
{
    QUuid id;
    QString name;
    std::shared_ptr<const BlockList> list;
};
