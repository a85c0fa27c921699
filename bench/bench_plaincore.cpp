// The yardstick for the tool's start-up: a Qt Core console program that makes its
// application object and ends, as `tavrix-cli defaults -o /dev/null` does around its work.
//   farm-bench -n 10 --vs build/bench_plaincore -- build/tavrix-cli defaults -o /dev/null
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return 0;
}
