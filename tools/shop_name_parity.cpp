// Prints ShopNameModel's findings as flags (1 made-up shop name, 2 machine-generated
// host, 4 random letters; 0 none) for each "host<TAB>registrable domain<TAB>public suffix" line on
// standard input, so that tools/train_shop_name_model.py --parity can hold the C++ scoring to what
// the script measured. Built and run by that script.
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
        out << ShopNameModel::assess(parts[0], parts[1], parts[2]).toInt() << '\n';
    }
    return 0;
}
