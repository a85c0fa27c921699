#include "report/pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextOption>

namespace report {

namespace {

constexpr int kDpi = 300;
constexpr qreal kMarginMm = 15;

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

std::optional<QByteArray> drawPdf(const PdfPage &page, QString *error)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&bytes);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
        writer.setResolution(kDpi);
        writer.setTitle(page.title);
        writer.setCreator(page.creator);
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
        doc.setHtml(page.body);

        const QRectF body = writer.pageLayout().paintRectPixels(kDpi);
        // Room at the foot of each page for the fingerprint and the page number.
        const qreal footer = kDpi * 0.25;
        const QSizeF pageSize(body.width(), body.height() - footer);
        doc.setPageSize(pageSize);
        const int pages = doc.pageCount();

        QPainter painter;
        if (!painter.begin(&writer)) {
            *error = QCoreApplication::translate("report", "the PDF writer cannot start");
            return std::nullopt;
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
                             QStringLiteral("Отпечаток %1").arg(page.fingerprint));
            painter.drawText(QRectF(0, body.height() - footer * 0.8, body.width(), footer * 0.8), Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("Страница %1 из %2").arg(p + 1).arg(pages));
        }
        painter.end();
    }
    return bytes.data();
}

} // namespace report
