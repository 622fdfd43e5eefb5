#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << "Velmora Shopping Browser: the window is not built yet.\n";
    return 0;
}
