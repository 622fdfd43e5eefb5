#include "safety/ShopNameModel.h"

ShopNameModel::Finding ShopNameModel::assess(QStringView host, QStringView registrableDomain,
                                             QStringView publicSuffix)
{
    Q_UNUSED(host);
    Q_UNUSED(registrableDomain);
    Q_UNUSED(publicSuffix);
    return Finding::none;
}
