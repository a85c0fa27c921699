#include "report/render.h"

#include <QLocale>
#include <QRegularExpression>

namespace report {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

const QString kFingerprintMeta = QStringLiteral("tavrix-fingerprint");

} // namespace

// Shared by the HTML file and the PDF's text document, so it keeps to what both read:
// inline styles, plain tables with borders and padding.
QString sheetBody(const Sheet &sheet)
{
    QString out;
    const QString cell = QStringLiteral("border:1px solid #999;padding:2px 5px;vertical-align:top;");
    const QString headCell = cell + QStringLiteral("background-color:#e8e8e8;font-weight:bold;");
    const QString off = QStringLiteral("color:#888888;");

    out += QStringLiteral("<h1 style=\"font-size:16pt;margin:0 0 6px 0;\">%1</h1>\n").arg(esc(sheet.title));
    out += QStringLiteral("<table style=\"border-collapse:collapse;margin-bottom:8px;\" cellspacing=\"0\">\n");
    const QList<QPair<QString, QString>> facts{
        {QStringLiteral("Дата и время"), QLocale(QLocale::Russian).toString(sheet.made, QStringLiteral("dd.MM.yyyy HH:mm:ss"))},
        {QStringLiteral("Источник"), sheet.source},
        {QStringLiteral("Версия конфигуратора"), sheet.version},
        {QStringLiteral("Отпечаток конфигурации"), sheet.fingerprint},
    };
    for (const auto &[name, value] : facts)
        out += QStringLiteral("<tr><td style=\"padding:1px 12px 1px 0;\">%1:</td><td style=\"padding:1px 0;\"><b>%2</b></td></tr>\n")
                   .arg(esc(name), esc(value));
    out += QStringLiteral("</table>\n");
    if (sheet.masked)
        out += QStringLiteral("<p style=\"margin:0 0 8px 0;\">Номера телефонов и коды ключей скрыты, кроме трёх последних знаков.</p>\n");

    for (const Section &section : sheet.sections) {
        out += QStringLiteral("<h2 style=\"font-size:13pt;margin:12px 0 4px 0;\">%1</h2>\n").arg(esc(section.title));
        for (const Block &block : section.blocks) {
            if (!block.heading.isEmpty())
                out += QStringLiteral("<h3 style=\"font-size:11pt;margin:6px 0 3px 0;\">%1</h3>\n").arg(esc(block.heading));
            const bool options = block.columns.size() == 2 && block.heading.isEmpty();
            out += QStringLiteral("<table style=\"border-collapse:collapse;width:100%;\" width=\"100%\" cellspacing=\"0\" cellpadding=\"3\">\n<tr>");
            for (const QString &column : block.columns)
                out += QStringLiteral("<th style=\"%1text-align:left;\">%2</th>").arg(headCell, esc(column));
            if (options)
                out += QStringLiteral("<th style=\"%1text-align:left;\"></th>").arg(headCell);
            out += QStringLiteral("</tr>\n");
            for (const Row &row : block.rows) {
                out += QStringLiteral("<tr>");
                for (const QString &text : row.cells)
                    out += QStringLiteral("<td style=\"%1%2\">%3</td>").arg(cell, row.inUse ? QString() : off, esc(text));
                if (options)
                    out += QStringLiteral("<td style=\"%1%2\">%3</td>")
                               .arg(cell, off, row.inUse ? QString() : QStringLiteral("не используется"));
                out += QStringLiteral("</tr>\n");
            }
            out += QStringLiteral("</table>\n");
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
                          "tr { page-break-inside: avoid; } h2, h3 { page-break-after: avoid; }</style>\n");
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
