// The yardstick for the tool's start-up: a Qt Core console program that makes its
// application object and prints one line, as `tavrix-cli defaults -o /dev/null` does
// around its work (bench/startup.sh measures the two).
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << "Written to /dev/null\n";
    return 0;
}
