#include "report/render.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>

namespace report {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

const QString kFingerprintMeta = QStringLiteral("tavrix-fingerprint");

// A line to write on by hand.
const QString kBlankLine = QStringLiteral("______________________________");
const QString kNotInUse = QStringLiteral("не используется");

QString orBlank(const QString &text)
{
    return text.trimmed().isEmpty() ? kBlankLine : text;
}

} // namespace

// Shared by the HTML file and the PDF's text document, so it keeps to what both read:
// inline styles, plain tables with borders and padding, header rows in <thead> (a
// browser repeats them on each printed page, the PDF's layout too).
QString sheetBody(const Sheet &sheet)
{
    QString out;
    const QString cell = QStringLiteral("border:1px solid #999;padding:2px 5px;vertical-align:top;");
    const QString headCell = cell + QStringLiteral("background-color:#e8e8e8;font-weight:bold;text-align:left;");
    const QString off = QStringLiteral("color:#888888;");
    const QString factName = QStringLiteral("padding:2px 12px 2px 0;white-space:nowrap;");
    // One spacing rule: the same space above every section and every table's heading.
    const QString sectionHeading = QStringLiteral("font-size:13pt;margin:14px 0 4px 0;");
    const QString blockHeading = QStringLiteral("font-size:11pt;margin:8px 0 4px 0;");

    out += QStringLiteral("<h1 style=\"font-size:16pt;margin:0 0 8px 0;\">%1</h1>\n").arg(esc(sheet.title));

    // Who and where first: what the customer keeps the sheet for.
    const Handover &h = sheet.handover;
    const QString date = h.date.isValid() ? h.date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
    const QList<QPair<QString, QString>> handover{
        {QStringLiteral("Объект"), orBlank(h.site)},
        {QStringLiteral("Заказчик"), orBlank(h.customer)},
        {QStringLiteral("Установщик"), orBlank(h.installer)},
        {QStringLiteral("Дата передачи"), orBlank(date)},
    };
    const QList<QPair<QString, QString>> facts{
        {QStringLiteral("Источник"), sheet.source},
        {QStringLiteral("Отчёт составлен"), QLocale(QLocale::Russian).toString(sheet.made, QStringLiteral("dd.MM.yyyy HH:mm"))},
        {QStringLiteral("Версия конфигуратора"), sheet.version},
        {QStringLiteral("Отпечаток конфигурации"), sheet.fingerprint},
    };
    out += QStringLiteral("<table style=\"border-collapse:collapse;\" cellspacing=\"0\">\n");
    for (const auto &list : {handover, facts}) {
        for (const auto &[name, value] : list)
            out += QStringLiteral("<tr><td style=\"%1\">%2:</td><td style=\"padding:2px 0;\"><b>%3</b></td></tr>\n")
                       .arg(factName, esc(name), esc(value));
    }
    out += QStringLiteral("</table>\n");
    // Signed by hand, on the paper the customer keeps.
    out += QStringLiteral("<table style=\"border-collapse:collapse;margin-top:10px;\" cellspacing=\"0\">\n");
    for (const char16_t *who : {u"Подпись установщика", u"Подпись заказчика"})
        out += QStringLiteral("<tr><td style=\"%1\">%2:</td><td style=\"padding:6px 0 2px 0;\">%3</td></tr>\n")
                   .arg(factName, QString::fromUtf16(who), kBlankLine);
    out += QStringLiteral("</table>\n");
    if (sheet.masked)
        out += QStringLiteral("<p style=\"margin:8px 0 0 0;\">Номера телефонов и коды ключей скрыты, кроме трёх последних "
                              "знаков; пароль SMS-команд скрыт.</p>\n");

    for (const Section &section : sheet.sections) {
        out += QStringLiteral("<h2 style=\"%1\">%2</h2>\n").arg(sectionHeading, esc(section.title));
        for (const Block &block : section.blocks) {
            const bool options = block.options;
            const bool anyInUse = std::any_of(block.rows.cbegin(), block.rows.cend(), [](const Row &r) { return r.inUse; });
            if (!block.heading.isEmpty())
                out += QStringLiteral("<h3 style=\"%1\">%2%3</h3>\n")
                           .arg(blockHeading, esc(block.heading), anyInUse || options ? QString() : QStringLiteral(" — ") + kNotInUse);
            out += QStringLiteral("<table style=\"border-collapse:collapse;width:100%;\" width=\"100%\" cellspacing=\"0\" "
                                  "cellpadding=\"3\">\n<thead><tr>");
            for (const QString &column : block.columns)
                out += QStringLiteral("<th style=\"%1\">%2</th>").arg(headCell, esc(column));
            out += QStringLiteral("</tr></thead>\n<tbody>\n");
            for (const Row &row : block.rows) {
                out += QStringLiteral("<tr>");
                for (qsizetype i = 0; i < row.cells.size(); ++i) {
                    // An option a page rule has greyed out says so by its value, so that a
                    // printed sheet tells it without the grey.
                    const bool last = i + 1 == row.cells.size();
                    const QString note = options && last && !row.inUse ? QStringLiteral(" (%1)").arg(kNotInUse) : QString();
                    out += QStringLiteral("<td style=\"%1%2\">%3%4</td>")
                               .arg(cell, row.inUse ? QString() : off, esc(row.cells[i]), esc(note));
                }
                out += QStringLiteral("</tr>\n");
            }
            out += QStringLiteral("</tbody>\n</table>\n");
        }
    }
    return out;
}

QByteArray html(const Sheet &sheet)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n");
    out += QStringLiteral("<title>%1</title>\n").arg(esc(sheet.title));
    out += QStringLiteral("<meta name=\"%1\" content=\"%2\">\n").arg(kFingerprintMeta, esc(sheet.fingerprint));
    out += QStringLiteral("<meta name=\"keywords\" content=\"%1\">\n").arg(esc(sheet.fingerprint));
    out += QStringLiteral("<meta name=\"generator\" content=\"Tavrix %1\">\n").arg(esc(sheet.version));
    out += QStringLiteral("<style>@page { size: A4 portrait; margin: 15mm; } "
                          "thead { display: table-header-group; } tr { page-break-inside: avoid; } "
                          "h2, h3 { page-break-after: avoid; }</style>\n");
    out += QStringLiteral("</head>\n<body style=\"font-family:'DejaVu Sans','Liberation Sans',Arial,sans-serif;"
                          "font-size:10pt;color:#000;max-width:180mm;margin:0 auto;overflow-wrap:anywhere;\">\n");
    out += sheetBody(sheet);
    out += QStringLiteral("</body>\n</html>\n");
    return out.toUtf8();
}

bool looksLikeSheet(const QByteArray &bytes)
{
    const QByteArray start = bytes.left(64).trimmed().toLower();
    return start.startsWith("%pdf-") || start.startsWith("<!doctype html") || start.startsWith("<html");
}

std::optional<QString> fingerprintOf(const QByteArray &bytes)
{
    if (!looksLikeSheet(bytes))
        return std::nullopt;
    // A PDF can have been updated more than once: its last keywords count.
    static const QRegularExpression pdf(QStringLiteral("/Keywords\\s*\\(([0-9a-f]{12})\\)"));
    static const QRegularExpression meta(QStringLiteral("<meta\\s+name=\"tavrix-fingerprint\"\\s+content=\"([0-9a-f]{12})\""));
    const QString text = QString::fromLatin1(bytes);
    std::optional<QString> found;
    for (const QRegularExpression *form : {&pdf, &meta}) {
        auto it = form->globalMatch(text);
        while (it.hasNext())
            found = it.next().captured(1);
        if (found)
            return found;
    }
    return std::nullopt;
}

} // namespace report
