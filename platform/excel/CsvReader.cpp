// .csv: RFC 4180 fields; UTF-8 with or without BOM, else Windows-1252; ',' ';' or tab.
#include "common/Cp1252.h"
#include "platform/excel/WorkbookImpl.h"

#include <QStringDecoder>

namespace kovel::excel {

namespace {

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return kovel::cp1252::toUnicode(bytes);
}

// The delimiter that splits the first records most often and most evenly.
QChar detectDelimiter(QStringView text)
{
    const QChar candidates[] = {u',', u';', u'\t'};
    int counts[3][5] = {};
    int line = 0;
    bool quote = false;
    for (qsizetype i = 0; i < text.size() && line < 5 && i < (1 << 20); ++i) {
        const QChar c = text[i];
        if (c == u'"') quote = !quote;
        else if (!quote && (c == u'\n' || c == u'\r')) {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            ++line;
        } else if (!quote)
            for (int k = 0; k < 3; ++k)
                if (c == candidates[k]) ++counts[k][line];
    }
    const int lines = std::max(1, std::min(line + 1, 5));
    int best = 0;
    long bestScore = -1;
    for (int k = 0; k < 3; ++k) {
        // Every line the same count scores highest; then the larger count.
        const int first = counts[k][0];
        bool even = first > 0;
        for (int l = 1; l < lines; ++l)
            if (counts[k][l] != first && !(l == lines - 1 && counts[k][l] == 0)) even = false;
        long score = long(first) + (even ? 1'000'000 : 0);
        for (int l = 0; l < lines; ++l) score += counts[k][l];
        if (first == 0) score = 0;
        if (score > bestScore) { bestScore = score; best = k; }
    }
    return candidates[best];
}

} // namespace

bool ReadCsv(Workbook& book, QByteArray bytes, const QString& sheetName, QString& error, const Limits& limits)
{
    if (bytes.size() > limits.maxFileBytes) {
        error = QStringLiteral("the file is too large");
        return false;
    }
    if (bytes.contains('\0')) {
        error = QStringLiteral("the file is not a text file of comma-separated values");
        return false;
    }
    const QString text = decode(bytes);
    bytes = QByteArray();
    const QChar delim = detectDelimiter(text);
    Worksheet& sheet = book.AddSheet(sheetName.left(31), false);
    Worksheet::Impl& w = sheet.impl();
    // Room for every stored field at once: no field holds more than the text, and no more
    // fields are stored than runs of characters ended by a delimiter or a line end.
    {
        std::size_t fields = 1;
        bool inRun = false;
        for (QChar ch : text) {
            const bool end = ch == delim || ch == u'\n' || ch == u'\r';
            fields += end && inRun;
            inRun = !end;
        }
        w.cells.reserve(std::min<std::size_t>(fields, std::size_t(limits.maxCells)));
        w.pool.reserve(text.size());
    }
    Workbook::Shared& sh = book.shared();

    std::int64_t row = 1, col = 1;
    QString field;
    bool quoted = false;
    auto endField = [&]() -> bool {
        if (col > MaxColumns) {
            error = QStringLiteral("line %1 has more than %2 fields").arg(row).arg(MaxColumns);
            return false;
        }
        if (row > MaxRows) {
            error = QStringLiteral("the file has more than %1 lines").arg(MaxRows);
            return false;
        }
        if (!field.isEmpty()) {
            if (++sh.cells > limits.maxCells) {
                error = QStringLiteral("the file has more than %1 fields").arg(limits.maxCells);
                return false;
            }
            CellData c{};
            c.row = std::uint32_t(row);
            c.column = std::uint16_t(col);
            c.kind = Kind::Text;
            c.text.offset = w.addText(field, c.text.length);
            w.add(c);
        }
        field.clear();
        quoted = false;
        return true;
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool atRecordStart = true;
    while (i < n) {
        const QChar c = text[i];
        if (c == u'"' && field.isEmpty() && !quoted) {
            // A quoted field: up to the closing quote; "" stands for one quote.
            quoted = true;
            ++i;
            qsizetype start = i;
            for (;;) {
                const qsizetype q = text.indexOf(u'"', i);
                if (q < 0) {
                    error = QStringLiteral("a quoted field that starts on line %1 is never closed").arg(row);
                    return false;
                }
                field += QStringView(text).mid(start, q - start);
                if (q + 1 < n && text[q + 1] == u'"') {
                    field += u'"';
                    i = start = q + 2;
                    continue;
                }
                i = q + 1;
                break;
            }
            if (field.size() > limits.maxCellTextChars) {
                error = QStringLiteral("a field on line %1 is too long").arg(row);
                return false;
            }
            atRecordStart = false;
            continue;
        }
        if (c == delim) {
            if (!endField()) return false;
            ++col;
            ++i;
            atRecordStart = false;
            continue;
        }
        if (c == u'\r' || c == u'\n') {
            if (!endField()) return false;
            ++row;
            col = 1;
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            ++i;
            atRecordStart = true;
            continue;
        }
        // Text after a closing quote is kept as it stands (lenient, as spreadsheets are).
        qsizetype end = i;
        while (end < n && text[end] != delim && text[end] != u'\r' && text[end] != u'\n' &&
               !(text[end] == u'"' && field.isEmpty() && end == i && !quoted))
            ++end;
        if (end == i) { field += c; ++i; continue; }
        field += QStringView(text).mid(i, end - i);
        if (field.size() > limits.maxCellTextChars) {
            error = QStringLiteral("a field on line %1 is too long").arg(row);
            return false;
        }
        i = end;
        atRecordStart = false;
    }
    if (!atRecordStart || !field.isEmpty())
        if (!endField()) return false;
    w.finish();
    return true;
}

} // namespace kovel::excel
