// Writing a sheet to its file, and handing a PDF to the program that draws it.
#include "report/render.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>

namespace report {

namespace {

const QByteArray kPackedForm = QByteArrayLiteral("tavrix-pdf-page 1\n");

constexpr int kHelperStartMs = 30000;
constexpr int kHelperDrawMs = 120000;

// A PDF literal string: only the three characters that end or escape one need care;
// the fingerprint and our keywords are plain ASCII.
QByteArray pdfString(const QString &text)
{
    QByteArray out = "(";
    for (const char ch : text.toLatin1()) {
        if (ch == '(' || ch == ')' || ch == '\\')
            out += '\\';
        out += ch;
    }
    return out + ')';
}

bool saveWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace

QByteArray PdfPage::packed() const
{
    QByteArray out = kPackedForm;
    QDataStream stream(&out, QIODevice::Append);
    stream.setVersion(QDataStream::Qt_6_0);
    stream << title << creator << fingerprint << body;
    return out;
}

std::optional<PdfPage> PdfPage::unpacked(const QByteArray &bytes)
{
    if (!bytes.startsWith(kPackedForm))
        return std::nullopt;
    QDataStream stream(bytes.mid(kPackedForm.size()));
    stream.setVersion(QDataStream::Qt_6_0);
    PdfPage page;
    stream >> page.title >> page.creator >> page.fingerprint >> page.body;
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return std::nullopt;
    return page;
}

PdfPage pdfPage(const Sheet &sheet)
{
    return {sheet.title, QStringLiteral("Tavrix %1").arg(sheet.version), sheet.fingerprint, sheetBody(sheet)};
}

std::optional<QByteArray> drawPdfByHelper(const PdfPage &page, QString *error)
{
    const QStringList places = pdfHelperPlaces();
    QString program;
    for (const QString &place : places) {
        if (QFileInfo(place).isExecutable()) {
            program = place;
            break;
        }
    }
    if (program.isEmpty()) {
        QStringList shown;
        for (const QString &place : places)
            shown << QDir::toNativeSeparators(place);
        *error = QCoreApplication::translate("report", "the program that draws a PDF is missing: no %1 (an .html sheet needs none)")
                     .arg(shown.join(QCoreApplication::translate("report", " or ")));
        return std::nullopt;
    }
    const QString shown = QDir::toNativeSeparators(program);
    QProcess helper;
    helper.start(program, {});
    if (!helper.waitForStarted(kHelperStartMs)) {
        *error = QCoreApplication::translate("report", "%1 cannot be started: %2").arg(shown, helper.errorString());
        return std::nullopt;
    }
    helper.write(page.packed());
    helper.closeWriteChannel();
    if (!helper.waitForFinished(kHelperDrawMs)) {
        helper.kill();
        helper.waitForFinished();
        *error = QCoreApplication::translate("report", "%1 did not finish drawing the sheet").arg(shown);
        return std::nullopt;
    }
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0) {
        const QStringList said = QString::fromUtf8(helper.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
        const QString stopped = helper.exitStatus() == QProcess::CrashExit
                                    ? QCoreApplication::translate("report", "it crashed")
                                    : QCoreApplication::translate("report", "it stopped with status %1").arg(helper.exitCode());
        const QString reason = said.last().trimmed().isEmpty() ? stopped : said.last().trimmed();
        *error = QCoreApplication::translate("report", "%1 could not draw the sheet: %2").arg(shown, reason);
        return std::nullopt;
    }
    return helper.readAllStandardOutput();
}

std::optional<QByteArray> withKeywords(const QByteArray &pdf, const QString &keywords)
{
    const QString text = QString::fromLatin1(pdf);
    static const QRegularExpression startxref(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
    const auto sx = startxref.match(text);
    const qsizetype trailerAt = text.lastIndexOf(QLatin1String("trailer"));
    if (!sx.hasMatch() || trailerAt < 0)
        return std::nullopt;
    const qsizetype trailerEnd = text.indexOf(QLatin1String("startxref"), trailerAt);
    const QString trailer = text.mid(trailerAt, trailerEnd - trailerAt);
    static const QRegularExpression sizeForm(QStringLiteral("/Size\\s+(\\d+)"));
    static const QRegularExpression rootForm(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
    static const QRegularExpression infoForm(QStringLiteral("/Info\\s+(\\d+)\\s+(\\d+)\\s+R"));
    static const QRegularExpression idForm(QStringLiteral("/ID\\s*(\\[[^\\]]*\\])"));
    const auto size = sizeForm.match(trailer);
    const auto root = rootForm.match(trailer);
    const auto info = infoForm.match(trailer);
    if (!size.hasMatch() || !root.hasMatch() || !info.hasMatch())
        return std::nullopt;

    // The old information dictionary: between the object's first "<<" and its last ">>".
    const QString objectHead = QStringLiteral("%1 %2 obj").arg(info.captured(1), info.captured(2));
    qsizetype objAt = -1;
    for (qsizetype at = text.indexOf(objectHead); at >= 0; at = text.indexOf(objectHead, at + 1)) {
        if (at == 0 || text[at - 1] == QLatin1Char('\n') || text[at - 1] == QLatin1Char('\r'))
            objAt = at;
    }
    if (objAt < 0)
        return std::nullopt;
    const qsizetype objEnd = text.indexOf(QLatin1String("endobj"), objAt);
    const qsizetype open = text.indexOf(QLatin1String("<<"), objAt);
    const qsizetype close = text.lastIndexOf(QLatin1String(">>"), objEnd);
    if (objEnd < 0 || open < 0 || close < open || close > objEnd)
        return std::nullopt;
    QByteArray dict = pdf.mid(open + 2, close - open - 2);
    if (dict.contains("/Keywords"))
        return std::nullopt;

    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out += '\n';
    const qsizetype objectOffset = out.size();
    out += QStringLiteral("%1 obj\n<<").arg(objectHead.chopped(4)).toLatin1() + dict + "/Keywords " + pdfString(keywords)
           + "\n>>\nendobj\n";
    const qsizetype xrefOffset = out.size();
    out += "xref\n" + info.captured(1).toLatin1() + " 1\n";
    out += QStringLiteral("%1 %2 n\r\n").arg(objectOffset, 10, 10, QLatin1Char('0')).arg(info.captured(2).toInt(), 5, 10, QLatin1Char('0')).toLatin1();
    out += "trailer\n<<\n/Size " + size.captured(1).toLatin1() + "\n/Root " + root.captured(1).toLatin1() + "\n/Info "
           + info.captured(1).toLatin1() + ' ' + info.captured(2).toLatin1() + " R\n";
    if (const auto id = idForm.match(trailer); id.hasMatch())
        out += "/ID " + id.captured(1).toLatin1() + '\n';
    out += "/Prev " + sx.captured(1).toLatin1() + "\n>>\nstartxref\n" + QByteArray::number(xrefOffset) + "\n%%EOF\n";
    return out;
}

bool isSheetName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("pdf") || suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

bool write(const Sheet &sheet, const QString &path, PdfDrawer draw, QString *error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf")) {
        // The keywords go in after the drawing; the file appears whole or not at all.
        const std::optional<QByteArray> drawn = draw(pdfPage(sheet), error);
        if (!drawn)
            return false;
        const std::optional<QByteArray> pdf = withKeywords(*drawn, sheet.fingerprint);
        if (!pdf) {
            *error = QCoreApplication::translate("report", "the PDF writer made a file whose information cannot be extended");
            return false;
        }
        return saveWhole(path, *pdf, error);
    }
    if (suffix != QLatin1String("html") && suffix != QLatin1String("htm")) {
        *error = QCoreApplication::translate("report", "a sheet is a .pdf or an .html file");
        return false;
    }
    return saveWhole(path, html(sheet), error);
}

} // namespace report
