#include "safety/AbusedHosting.h"

AbusedHosting::Match AbusedHosting::match(QStringView host)
{
    Q_UNUSED(host);
    return {};
}
