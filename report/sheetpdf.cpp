// tavrix-sheet-pdf: draws one configuration sheet as PDF for tavrix-cli. The page comes
// packed on standard input (PdfPage::packed), the PDF's bytes go to standard output, a
// reason for failing to standard error with status 1. It exists so that the tool itself
// needs neither Qt Gui nor a platform plugin: only a PDF needs fonts and a painter.
#include "report/helperprocess.h"
#include "report/pdf.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

// Standard error carries the one line tavrix-cli reports; the toolkit's notes on a
// session without a screen are not among them.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

int fail(const char *reason)
{
    std::fprintf(stderr, "%s\n", reason);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1)
        return std::fprintf(stderr, "tavrix-sheet-pdf draws a sheet for tavrix-cli and takes no arguments; "
                                    "use tavrix-cli report FILE -o SHEET.pdf\n"), 2;
    report::prepareHelperProcess();
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);

    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return fail("standard input cannot be read");
    const std::optional<report::PdfPage> page = report::PdfPage::unpacked(in.readAll());
    if (!page)
        return fail("standard input holds no sheet to draw");
    QString error;
    const std::optional<QByteArray> pdf = report::drawPdf(*page, &error);
    if (!pdf)
        return fail(qPrintable(error));
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(*pdf) != pdf->size() || !out.flush())
        return fail("standard output cannot be written");
    return 0;
}
