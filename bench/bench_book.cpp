// The site book at the size of a big installer's: a generated book of many sites and
// revisions, then what a person waits for: the search as each key is typed, and one
// site's timeline. Prints figures; a book made before is reused.
//   cmake --build build --target bench_book
//   ./build/bench_book [--book FILE|postgresql://...] [--sites 10000] [--revisions 100000]
#include "book/book.h"
#include "config/configform.h"
#include "config/writeplan.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>

namespace {

QByteArray configText(int n)
{
    config::ConfigForm form;
    form.applyFactoryConfiguration();
    config::Configuration cfg = config::storedForm(form.controls());
    cfg.set(QStringLiteral("Edit1"), QStringLiteral("+38050%1").arg(n, 7, 10, QLatin1Char('0')));
    cfg.set(QStringLiteral("Edit2"), QStringLiteral("+38067%1").arg(n * 7 % 10000000, 7, 10, QLatin1Char('0')));
    return config::windowCatalog().render(cfg);
}

// This thread's processor time: on a shared machine the wall clock also counts the
// time others had the processor.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption bookOption(QStringLiteral("book"), QStringLiteral("The book to fill and measure."), QStringLiteral("url"));
    const QCommandLineOption sitesOption(QStringLiteral("sites"), QStringLiteral("Sites."), QStringLiteral("n"), QStringLiteral("10000"));
    const QCommandLineOption revisionsOption(QStringLiteral("revisions"), QStringLiteral("Revisions."), QStringLiteral("n"),
                                             QStringLiteral("100000"));
    parser.addOptions({bookOption, sitesOption, revisionsOption});
    parser.addHelpOption();
    parser.process(app);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString location = parser.isSet(bookOption) ? parser.value(bookOption) : dir.filePath(QStringLiteral("book.sqlite"));
    const int sites = parser.value(sitesOption).toInt();
    const int revisions = parser.value(revisionsOption).toInt();

    QString error;
    auto b = book::Book::open(location, &error);
    if (!b) {
        out << error << Qt::endl;
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const int have = int(b->search(QString(), -1).size());
    if (have < sites) {
        // A few hundred configurations, each with its fingerprint worked out once.
        QList<QPair<QByteArray, QString>> texts;
        for (int i = 0; i < 300; ++i) {
            const QByteArray text = configText(i);
            texts.append({text, book::fingerprintOfText(text)});
        }
        QList<qint64> controllers;
        for (int i = have; i < sites; ++i) {
            book::Site s;
            s.name = QStringLiteral("Объект %1").arg(i, 5, 10, QLatin1Char('0'));
            s.address = QStringLiteral("ул. Лесная %1, кв. %2").arg(i % 300).arg(i % 97);
            s.contact = QStringLiteral("+38050%1").arg(i, 7, 10, QLatin1Char('0'));
            s.notes = i % 3 ? QString() : QStringLiteral("ключ у соседа, код %1").arg(i * 13 % 10000);
            if (!b->addSite(s, &error)) {
                out << error << Qt::endl;
                return 1;
            }
            controllers << b->controllerOf(s.name, &error)->id;
        }
        out << "made " << controllers.size() << " sites, " << clock.elapsed() / 1000 << " s" << Qt::endl;
        // Each round gives every site one more revision, all of a round in one transaction.
        const int perSite = std::max(1, revisions / std::max(1, sites - have));
        for (int k = 0; k < perSite; ++k) {
            QList<book::Revision> round;
            round.reserve(controllers.size());
            for (int i = 0; i < controllers.size(); ++i) {
                const auto &[text, print] = texts[(i + k) % texts.size()];
                book::Revision r;
                r.configuration = text;
                r.fingerprint = print;
                r.kind = k == 0 ? book::Kind::Read : book::Kind::Write;
                r.proved = true;
                r.port = QStringLiteral("COM3");
                r.controllerId = controllers[i];
                round << r;
            }
            if (!b->recordAll(round, &error)) {
                out << error << Qt::endl;
                return 1;
            }
            out << "filled " << (k + 1) * controllers.size() << " revisions, " << clock.elapsed() / 1000 << " s" << Qt::endl;
        }
    }
    out << "book: " << location << ", " << b->search(QString(), -1).size() << " sites, made or opened in "
        << clock.elapsed() / 1000.0 << " s" << Qt::endl;

    // Typing a name, a street, a phone number and a fingerprint, one key at a time.
    const auto any = b->revision(QStringLiteral("Объект 04321"), &error);
    const QStringList typed{QStringLiteral("объект 0432"), QStringLiteral("лесная 17"), QStringLiteral("0501234"),
                            any ? any->fingerprint : QStringLiteral("abcdef")};
    QList<double> perKey, perKeyCpu;
    double worst = 0;
    QString worstText;
    for (const QString &text : typed) {
        for (int n = 1; n <= text.size(); ++n) {
            clock.restart();
            const double cpu = cpuMs();
            const QList<book::Found> found = b->search(text.left(n), 200);
            const double ms = clock.nsecsElapsed() / 1e6;
            perKey << ms;
            perKeyCpu << cpuMs() - cpu;
            if (ms > worst) {
                worst = ms;
                worstText = QStringLiteral("\"%1\", %2 found").arg(text.left(n)).arg(found.size());
            }
        }
    }
    out << "search per keystroke: median " << QString::number(median(perKey), 'f', 1) << " ms, worst "
        << QString::number(worst, 'f', 1) << " ms (" << worstText << ") over " << perKey.size()
        << " keystrokes (budget 50 ms); processor time median " << QString::number(median(perKeyCpu), 'f', 1)
        << " ms, most " << QString::number(*std::max_element(perKeyCpu.begin(), perKeyCpu.end()), 'f', 1) << " ms" << Qt::endl;

    QList<double> timeline;
    for (int i = 0; i < 50; ++i) {
        const QString name = QStringLiteral("Объект %1").arg(QRandomGenerator::global()->bounded(sites), 5, 10, QLatin1Char('0'));
        clock.restart();
        const auto s = b->site(name);
        int count = 0;
        if (s) {
            for (const book::Controller &c : b->controllers(s->id))
                count += int(b->revisions(c.id).size());
        }
        timeline << clock.nsecsElapsed() / 1e6;
        Q_UNUSED(count);
    }
    out << "a site's timeline: median " << QString::number(median(timeline), 'f', 1) << " ms, worst "
        << QString::number(*std::max_element(timeline.begin(), timeline.end()), 'f', 1) << " ms (budget 100 ms)" << Qt::endl;
    return 0;
}
