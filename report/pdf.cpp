#include "report/render.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextDocument>
#include <QTextOption>

namespace report {

QString sheetBody(const Sheet &sheet);

namespace {

constexpr int kDpi = 300;
constexpr qreal kMarginMm = 15;

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

void registerSheetFonts()
{
    static const bool once = [] {
        for (const char *face : {":/sheet/DejaVuSans.ttf", ":/sheet/DejaVuSans-Bold.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(face));
        return true;
    }();
    Q_UNUSED(once);
}

} // namespace

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

bool writePdf(const Sheet &sheet, const QString &path, QString *error)
{
    // The writer goes to a temporary file first: the keywords are added afterwards and
    // the sheet appears whole or not at all.
    QTemporaryFile draft(QFileInfo(path).absolutePath() + QStringLiteral("/.sheet-XXXXXX.pdf"));
    if (!draft.open()) {
        *error = draft.errorString();
        return false;
    }
    {
        QPdfWriter writer(&draft);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
        writer.setResolution(kDpi);
        writer.setTitle(sheet.title);
        writer.setCreator(QStringLiteral("Tavrix %1").arg(sheet.version));

        QTextDocument doc;
        doc.documentLayout()->setPaintDevice(&writer);
        // The bundled DejaVu first: the writer embeds what it uses, and the system may
        // have no font with Cyrillic glyphs at all (a bare Windows or Wine prefix).
        registerSheetFonts();
        QFont font(QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        font.setPointSizeF(9);
        doc.setDefaultFont(font);
        doc.setDocumentMargin(0);
        // Words break only between words: a number or key stays whole, its column widens.
        QTextOption wrap = doc.defaultTextOption();
        wrap.setWrapMode(QTextOption::WordWrap);
        doc.setDefaultTextOption(wrap);
        doc.setHtml(sheetBody(sheet));

        const QRectF body = writer.pageLayout().paintRectPixels(kDpi);
        // Room at the foot of each page for the fingerprint and the page number.
        const qreal footer = kDpi * 0.25;
        const QSizeF pageSize(body.width(), body.height() - footer);
        doc.setPageSize(pageSize);
        const int pages = doc.pageCount();

        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QStringLiteral("the PDF writer cannot start");
            return false;
        }
        QFont small = font;
        small.setPointSizeF(7.5);
        for (int p = 0; p < pages; ++p) {
            if (p > 0)
                writer.newPage();
            painter.save();
            painter.translate(0, -p * pageSize.height());
            doc.drawContents(&painter, QRectF(QPointF(0, p * pageSize.height()), pageSize));
            painter.restore();
            painter.setFont(small);
            painter.setPen(Qt::darkGray);
            painter.drawText(QRectF(0, body.height() - footer * 0.8, body.width(), footer * 0.8), Qt::AlignLeft | Qt::AlignBottom,
                             QStringLiteral("Отпечаток %1").arg(sheet.fingerprint));
            painter.drawText(QRectF(0, body.height() - footer * 0.8, body.width(), footer * 0.8), Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("Страница %1 из %2").arg(p + 1).arg(pages));
        }
        painter.end();
    }
    draft.flush();
    draft.seek(0);
    const std::optional<QByteArray> pdf = withKeywords(draft.readAll(), sheet.fingerprint);
    if (!pdf) {
        *error = QStringLiteral("the PDF writer made a file whose information cannot be extended");
        return false;
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(*pdf) != pdf->size() || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

bool isSheetName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("pdf") || suffix == QLatin1String("html") || suffix == QLatin1String("htm");
}

bool write(const Sheet &sheet, const QString &path, QString *error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return writePdf(sheet, path, error);
    if (suffix != QLatin1String("html") && suffix != QLatin1String("htm")) {
        *error = QStringLiteral("a sheet is a .pdf or an .html file");
        return false;
    }
    const QByteArray page = html(sheet);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(page) != page.size() || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace report
