#include "platform/excel/WorkbookImpl.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace kovel::excel {

// ---------------------------------------------------------------- columns and addresses

QString ColumnName(std::int32_t column)
{
    if (column < 1 || column > MaxColumns)
        return {};
    QString letters;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        letters.prepend(QChar(u'A' + digit));
        column = (column - 1) / 26;
    }
    return letters;
}

std::int32_t ColumnNumber(const QString& letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    std::int32_t n = 0;
    for (QChar ch : letters) {
        const char16_t u = ch.toUpper().unicode();
        if (u < u'A' || u > u'Z')
            return 0;
        n = n * 26 + (u - u'A' + 1);
    }
    return n <= MaxColumns ? n : 0;
}

QString AbsoluteAddress(const CellRange& r)
{
    QString a = QStringLiteral("$%1$%2").arg(ColumnName(r.firstColumn)).arg(r.firstRow);
    if (r.firstRow != r.lastRow || r.firstColumn != r.lastColumn)
        a += QStringLiteral(":$%1$%2").arg(ColumnName(r.lastColumn)).arg(r.lastRow);
    return a;
}

// ---------------------------------------------------------------- shared workbook data

const NumberFormat& Workbook::Shared::formatOf(std::uint32_t style) const
{
    // Readers store only the styles the workbook defines; any other shows as General.
    if (style >= styleFormats.size())
        style = 0;
    if (compiled.size() < styleFormats.size() + 1)
        compiled.resize(styleFormats.size() + 1);
    auto& slot = compiled[style];
    if (!slot) {
        const QString code = style < styleFormats.size() ? styleFormats[style] : QStringLiteral("General");
        // Styles with the same format share one compiled format.
        auto& same = byCode[code];
        if (!same)
            same = std::make_shared<NumberFormat>(code);
        slot = same;
    }
    return *slot;
}

// ---------------------------------------------------------------- worksheet

void Worksheet::Impl::add(const CellData& c)
{
    if (!cells.empty()) {
        const CellData& last = cells.back();
        if (c.row < last.row || (c.row == last.row && c.column <= last.column))
            sorted = false;
    }
    cells.push_back(c);
}

std::uint32_t Worksheet::Impl::addText(QStringView text, std::uint32_t& length)
{
    const auto offset = std::uint32_t(pool.size());
    pool.append(text);
    length = std::uint32_t(text.size());
    return offset;
}

void Worksheet::Impl::finish()
{
    if (!sorted) {
        std::stable_sort(cells.begin(), cells.end(), [](const CellData& a, const CellData& b) {
            return a.row != b.row ? a.row < b.row : a.column < b.column;
        });
        // A cell written twice keeps its last value.
        std::vector<CellData> unique;
        unique.reserve(cells.size());
        for (const CellData& c : cells) {
            if (!unique.empty() && unique.back().row == c.row && unique.back().column == c.column)
                unique.back() = c;
            else
                unique.push_back(c);
        }
        cells.swap(unique);
        sorted = true;
    }
    countA = 0;
    any = !cells.empty();
    if (any) {
        used = {std::int32_t(cells.front().row), std::int32_t(cells.front().column),
                std::int32_t(cells.back().row), std::int32_t(cells.front().column)};
        for (const CellData& c : cells) {
            used.firstColumn = std::min<std::int32_t>(used.firstColumn, c.column);
            used.lastColumn = std::max<std::int32_t>(used.lastColumn, c.column);
            if (c.kind != Kind::Blank)
                ++countA;
        }
        const std::uint32_t first = cells.front().row;
        rowStart.assign(std::size_t(cells.back().row - first) + 2, 0);
        std::size_t i = 0;
        for (std::uint32_t r = first; r <= cells.back().row + 1; ++r) {
            while (i < cells.size() && cells[i].row < r) ++i;
            rowStart[r - first] = std::uint32_t(i);
        }
    } else {
        used = {};
        rowStart.clear();
    }
    // Giving back spare room copies the store: only worth it when much is spare.
    if (cells.capacity() > cells.size() + cells.size() / 4)
        cells.shrink_to_fit();
    if (pool.capacity() > pool.size() + pool.size() / 4)
        pool.squeeze();
}

const CellData* Worksheet::Impl::find(std::int32_t row, std::int32_t column) const
{
    auto from = cells.begin(), to = cells.end();
    if (!rowStart.empty()) {
        const std::int64_t k = std::int64_t(row) - std::int64_t(cells.front().row);
        if (k < 0 || k + 1 >= std::int64_t(rowStart.size())) return nullptr;
        from = cells.begin() + std::ptrdiff_t(rowStart[std::size_t(k)]);
        to = cells.begin() + std::ptrdiff_t(rowStart[std::size_t(k) + 1]);
    }
    auto it = std::lower_bound(from, to, std::make_pair(row, column),
                               [](const CellData& c, const std::pair<std::int32_t, std::int32_t>& key) {
                                   return std::int32_t(c.row) != key.first ? std::int32_t(c.row) < key.first
                                                                           : std::int32_t(c.column) < key.second;
                               });
    if (it != to && std::int32_t(it->row) == row && std::int32_t(it->column) == column)
        return &*it;
    return nullptr;
}

QString Worksheet::Impl::shownText(const CellData& c) const
{
    if (ownTexts) {
        if (c.style >= shown.size()) return {};
        return pool.mid(qsizetype(shown[c.style].first), qsizetype(shown[c.style].second));
    }
    switch (c.kind) {
    case Kind::Blank:
        return {};
    case Kind::Number:
        return shared->formatOf(c.style).Format(c.number, shared->date1904);
    case Kind::Shared: {
        if (c.shared >= std::uint32_t(shared->sharedStrings.size()))
            return {};
        const QString& s = shared->sharedStrings.at(qsizetype(c.shared));
        const NumberFormat& f = shared->formatOf(c.style);
        return f.IsGeneral() ? s : f.FormatText(s);
    }
    case Kind::Text: {
        const QString s = pool.mid(qsizetype(c.text.offset), qsizetype(c.text.length));
        const NumberFormat& f = shared->formatOf(c.style);
        return f.IsGeneral() ? s : f.FormatText(s);
    }
    case Kind::Boolean:
        return c.boolean ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Kind::Error:
        return pool.mid(qsizetype(c.text.offset), qsizetype(c.text.length));
    }
    return {};
}

Worksheet::Worksheet(QString name, bool hidden)
    : m_name(std::move(name)), m_hidden(hidden), m_impl(std::make_unique<Impl>())
{
}

Worksheet::~Worksheet() = default;

CellRange Worksheet::UsedRange() const
{
    return m_impl->any ? m_impl->used : CellRange{};
}

QString Worksheet::UsedRangeAddress() const
{
    return AbsoluteAddress(UsedRange());
}

static void checkCell(std::int32_t row, std::int32_t column)
{
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns)
        throw Error(QStringLiteral("Cell (%1, %2) lies outside the worksheet.").arg(row).arg(column).toStdString());
}

QString Worksheet::Text(std::int32_t row, std::int32_t column) const
{
    checkCell(row, column);
    const CellData* c = m_impl->find(row, column);
    return c ? m_impl->shownText(*c) : QString();
}

bool Worksheet::HasValue(std::int32_t row, std::int32_t column) const
{
    checkCell(row, column);
    const CellData* c = m_impl->find(row, column);
    return c && c->kind != Kind::Blank;
}

std::int64_t Worksheet::CountA() const
{
    return m_impl->countA;
}

CellValue Worksheet::Value(std::int32_t row, std::int32_t column) const
{
    checkCell(row, column);
    CellValue v;
    const CellData* c = m_impl->find(row, column);
    if (!c) return v;
    const Impl& w = *m_impl;
    switch (c->kind) {
    case Kind::Blank:
        return v;
    case Kind::Number:
        v.type = CellType::Number;
        v.number = c->number;
        break;
    case Kind::Shared:
        v.type = CellType::Text;
        if (c->shared < std::uint32_t(w.shared->sharedStrings.size()))
            v.text = w.shared->sharedStrings.at(qsizetype(c->shared));
        break;
    case Kind::Text:
    case Kind::Error:
        v.type = c->kind == Kind::Text ? CellType::Text : CellType::Error;
        v.text = w.pool.mid(qsizetype(c->text.offset), qsizetype(c->text.length));
        break;
    case Kind::Boolean:
        v.type = CellType::Boolean;
        v.number = c->boolean ? 1 : 0;
        break;
    }
    if (c->type != CellType::Empty) v.type = c->type;
    return v;
}

CellRange Worksheet::MergeArea(std::int32_t row, std::int32_t column) const
{
    checkCell(row, column);
    for (const CellRange& r : m_impl->merged)
        if (row >= r.firstRow && row <= r.lastRow && column >= r.firstColumn && column <= r.lastColumn)
            return r;
    return {row, column, row, column};
}

const std::vector<CellRange>& Worksheet::MergedAreas() const
{
    return m_impl->merged;
}

// ---------------------------------------------------------------- workbook

Workbook::Workbook(QString fullName) : m_fullName(std::move(fullName)), m_shared(std::make_unique<Shared>()) {}
Workbook::~Workbook() = default;

QString Workbook::Name() const
{
    return QFileInfo(m_fullName).fileName();
}

Worksheet* Workbook::Item(std::int32_t index1) const
{
    if (index1 < 1 || index1 > Count())
        return nullptr;
    return m_sheets[std::size_t(index1 - 1)].get();
}

Worksheet* Workbook::Item(const QString& name) const
{
    for (const auto& s : m_sheets)
        if (s->Name().compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    return nullptr;
}

QStringList Workbook::Names() const
{
    QStringList names;
    for (const auto& s : m_sheets)
        names << s->Name();
    return names;
}

Worksheet& Workbook::AddSheet(const QString& name, bool hidden)
{
    m_sheets.push_back(std::make_unique<Worksheet>(name, hidden));
    m_sheets.back()->impl().shared = m_shared.get();
    return *m_sheets.back();
}

namespace {

enum class Content { Zip, Ole, LegacyBiff, Text, Unknown };

Content sniff(const QByteArray& head)
{
    if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
        return Content::Zip;
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return Content::Ole;
    // The oldest .xls files are a bare record stream that opens with its BOF record.
    if (head.size() >= 8 && (head.startsWith(QByteArray("\x09\x00", 2)) || head.startsWith(QByteArray("\x09\x02", 2)) ||
                             head.startsWith(QByteArray("\x09\x04", 2))))
        return Content::LegacyBiff;
    // Text: no NUL bytes in what we looked at.
    return head.contains('\0') ? Content::Unknown : Content::Text;
}

} // namespace

std::unique_ptr<Workbook> Workbook::Open(const QString& path, QString& error, const Limits& limits)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("the file does not exist");
        return nullptr;
    }
    if (!info.isFile()) {
        error = QStringLiteral("it is not a file");
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
        return nullptr;
    }
    if (file.size() > limits.maxFileBytes) {
        error = QStringLiteral("the file is larger than %1 bytes").arg(limits.maxFileBytes);
        return nullptr;
    }
    const QByteArray head = file.read(4096);
    const QString ext = info.suffix().toLower();
    const Content content = sniff(head);
    auto book = std::make_unique<Workbook>(info.absoluteFilePath());

    if (ext == u"xlsx" || ext == u"xlsm") {
        if (content == Content::Ole) {
            error = QStringLiteral("the workbook is encrypted (password-protected) or is not of the .%1 format").arg(ext);
            return nullptr;
        }
        if (content != Content::Zip) {
            error = QStringLiteral("the file is not a .%1 workbook").arg(ext);
            return nullptr;
        }
        file.close();
        if (!ReadXlsx(*book, book->FullName(), nullptr, error, limits))
            return nullptr;
    } else if (ext == u"ods") {
        if (content == Content::Ole) {
            error = QStringLiteral("the workbook is encrypted (password-protected) or is not of the .ods format");
            return nullptr;
        }
        if (content != Content::Zip) {
            error = QStringLiteral("the file is not an .ods workbook");
            return nullptr;
        }
        file.close();
        if (!ReadOds(*book, book->FullName(), nullptr, error, limits))
            return nullptr;
    } else if (ext == u"xls") {
        if (content == Content::Zip) {
            error = QStringLiteral("the file is a workbook of the newer format under an .xls name");
            return nullptr;
        }
        if (content != Content::Ole && content != Content::LegacyBiff) {
            error = QStringLiteral("the file is not an .xls workbook");
            return nullptr;
        }
        if (content == Content::LegacyBiff && !BareXlsStreamIsWhole(file)) {
            error = QStringLiteral("the file is truncated, corrupt or not an .xls workbook");
            return nullptr;
        }
        file.close();
        if (!ReadXls(*book, book->FullName(), error, limits))
            return nullptr;
    } else if (ext == u"csv" || ext == u"txt") {
        if (content != Content::Text) {
            error = QStringLiteral("the file is not a text file of comma-separated values");
            return nullptr;
        }
        file.seek(0);
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            error = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
            return nullptr;
        }
        if (!ReadCsv(*book, std::move(bytes), info.completeBaseName(), error, limits))
            return nullptr;
    } else {
        error = QStringLiteral("files of this kind are not workbooks (use .xlsx, .xlsm, .ods, .xls or .csv)");
        return nullptr;
    }
    return book;
}

std::unique_ptr<Workbook> Workbook::FromXlsxBytes(const QByteArray& bytes, const QString& name, QString& error,
                                                  const Limits& limits)
{
    auto book = std::make_unique<Workbook>(name);
    if (!ReadXlsx(*book, name, &bytes, error, limits))
        return nullptr;
    return book;
}

std::unique_ptr<Workbook> Workbook::FromOdsBytes(const QByteArray& bytes, const QString& name, QString& error,
                                                 const Limits& limits)
{
    auto book = std::make_unique<Workbook>(name);
    if (!ReadOds(*book, name, &bytes, error, limits))
        return nullptr;
    return book;
}

std::unique_ptr<Workbook> Workbook::FromCsvBytes(const QByteArray& bytes, const QString& name, QString& error,
                                                 const Limits& limits)
{
    auto book = std::make_unique<Workbook>(name);
    if (!ReadCsv(*book, bytes, QFileInfo(name).completeBaseName(), error, limits))
        return nullptr;
    return book;
}

} // namespace kovel::excel
