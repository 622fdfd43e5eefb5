// Prints ShopNameModel's finding (0 none, 1 made-up shop name, 2 machine-generated
// host) for each "host<TAB>registrable domain<TAB>public suffix" line on standard
// input, so that tools/train_shop_name_model.py --parity can hold the C++ scoring
// to what the script measured. Built and run by that script.
#include "safety/ShopNameModel.h"

#include <QList>
#include <QTextStream>

int main()
{
    QTextStream in(stdin);
    QTextStream out(stdout);
    QString line;
    while (in.readLineInto(&line)) {
        const QList<QStringView> parts = QStringView(line).split(u'\t');
        if (parts.size() != 3)
            return 2;
        out << int(ShopNameModel::assess(parts[0], parts[1], parts[2])) << '\n';
    }
    return 0;
}
