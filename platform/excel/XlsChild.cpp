// The child-process side of reading .xls with FreeXL: plain C++ and POSIX, no Qt, as it runs
// in a forked copy of the program.
#include "platform/excel/XlsChild.h"

#include <freexl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <unistd.h>

namespace kovel::excel::xlschild {

namespace {

// Records collected in a buffer and written to the pipe in blocks.
class Writer {
public:
    explicit Writer(int fd) : m_fd(fd) { m_buffer.reserve(kBlock); }
    ~Writer() { flush(); }

    void tag(char t) { put(&t, 1); }
    void u8(std::uint8_t v) { put(&v, 1); }
    void u16(std::uint16_t v) { put(&v, 2); }
    void u32(std::uint32_t v) { put(&v, 4); }
    void f64(double v) { put(&v, 8); }
    void bytes(const char* s)
    {
        const std::size_t n = s ? std::strlen(s) : 0;
        u32(std::uint32_t(n));
        put(s, n);
    }
    void fault(Fault f, std::int32_t detail)
    {
        tag('E');
        u32(f);
        put(&detail, 4);
    }
    void flush()
    {
        const char* p = m_buffer.data();
        std::size_t left = m_buffer.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;   // the parent stopped listening
            p += n;
            left -= std::size_t(n);
        }
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;
    void put(const void* data, std::size_t n)
    {
        m_buffer.append(static_cast<const char*>(data), n);
        if (m_buffer.size() >= kBlock) flush();
    }
    int m_fd;
    std::string m_buffer;
};

std::uint16_t le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) { return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24); }

// The workbook stream ("Workbook", or "Book" of the older versions) of a compound file;
// false when the file is not one or its structure is broken.
bool workbookStream(const std::vector<std::uint8_t>& f, std::vector<std::uint8_t>& out)
{
    static const std::uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (f.size() < 512 || std::memcmp(f.data(), magic, 8) != 0) return false;
    const std::uint16_t shift = le16(&f[0x1E]);
    if ((shift != 9 && shift != 12) || le16(&f[0x20]) != 6) return false;
    const std::size_t ss = std::size_t(1) << shift;
    if (f.size() < ss) return false;
    const std::size_t nSectors = (f.size() - ss) / ss;
    auto sector = [&](std::uint32_t k) -> const std::uint8_t* {
        return k < nSectors ? f.data() + (std::size_t(k) + 1) * ss : nullptr;
    };
    const std::uint32_t nFat = le32(&f[0x2C]);
    // The sectors of the allocation table: 109 in the header, the rest in a chain of their own.
    std::vector<std::uint32_t> fatSectors;
    for (int i = 0; i < 109 && fatSectors.size() < nFat; ++i) {
        const std::uint32_t v = le32(&f[0x4C + 4 * i]);
        if (v >= nSectors) break;
        fatSectors.push_back(v);
    }
    std::uint32_t d = le32(&f[0x44]);
    for (std::size_t guard = 0; fatSectors.size() < nFat && d < nSectors && guard < nSectors; ++guard) {
        const std::uint8_t* p = sector(d);
        for (std::size_t j = 0; j + 1 < ss / 4 && fatSectors.size() < nFat; ++j) {
            const std::uint32_t v = le32(p + 4 * j);
            if (v < nSectors) fatSectors.push_back(v);
        }
        d = le32(p + ss - 4);
    }
    if (fatSectors.size() > nSectors) return false;
    std::vector<std::uint32_t> fat;
    fat.reserve(fatSectors.size() * ss / 4);
    for (std::uint32_t s : fatSectors) {
        const std::uint8_t* p = sector(s);
        for (std::size_t j = 0; j < ss / 4; ++j) fat.push_back(le32(p + 4 * j));
    }
    // A chain of sectors, each visited once at most.
    auto chain = [&](std::uint32_t start, std::size_t maxBytes, std::vector<std::uint8_t>& bytes) {
        bytes.clear();
        std::uint32_t k = start;
        for (std::size_t steps = 0; k < nSectors && steps < nSectors && bytes.size() < maxBytes; ++steps) {
            const std::uint8_t* p = sector(k);
            bytes.insert(bytes.end(), p, p + ss);
            if (k >= fat.size()) break;
            k = fat[k];
        }
        if (bytes.size() > maxBytes) bytes.resize(maxBytes);
    };
    std::vector<std::uint8_t> dir;
    chain(le32(&f[0x30]), f.size(), dir);
    std::uint32_t rootStart = 0, wbStart = 0;
    std::uint64_t rootSize = 0, wbSize = 0;
    bool found = false;
    for (std::size_t e = 0; e + 128 <= dir.size(); e += 128) {
        const std::uint8_t* p = &dir[e];
        const std::uint16_t nameBytes = le16(p + 0x40);
        const std::uint8_t type = p[0x42];
        if (type == 5 && e == 0) {
            rootStart = le32(p + 0x74);
            rootSize = le32(p + 0x78);
        }
        if (type != 2 || nameBytes < 2 || nameBytes > 64) continue;
        std::string name;
        for (std::size_t i = 0; i + 1 < nameBytes - 1u; i += 2) name += char(p[i] | 0x20);
        if (name == "workbook" || name == "book") {
            wbStart = le32(p + 0x74);
            wbSize = le32(p + 0x78);
            found = true;
            if (name == "workbook") break;
        }
    }
    if (!found || wbSize > f.size() * 64) return false;
    if (wbSize >= le32(&f[0x38])) {
        chain(wbStart, std::size_t(wbSize), out);
        return true;
    }
    // A small stream lives in 64-byte pieces inside the root entry's stream.
    std::vector<std::uint8_t> mini, miniFatBytes;
    chain(rootStart, std::size_t(std::min<std::uint64_t>(rootSize, f.size())), mini);
    chain(le32(&f[0x3C]), f.size(), miniFatBytes);
    const std::size_t nMini = mini.size() / 64;
    out.clear();
    std::uint32_t k = wbStart;
    for (std::size_t steps = 0; k < nMini && steps < nMini && out.size() < wbSize; ++steps) {
        out.insert(out.end(), mini.begin() + std::ptrdiff_t(k) * 64, mini.begin() + std::ptrdiff_t(k + 1) * 64);
        if (std::size_t(k) * 4 + 4 > miniFatBytes.size()) break;
        k = le32(&miniFatBytes[std::size_t(k) * 4]);
    }
    if (out.size() > wbSize) out.resize(std::size_t(wbSize));
    return true;
}

} // namespace

std::vector<std::vector<std::pair<std::uint32_t, std::uint16_t>>>
FormulaCells(const std::vector<std::uint8_t>& file, std::size_t keep, std::vector<std::uint64_t>& counts)
{
    std::vector<std::vector<std::pair<std::uint32_t, std::uint16_t>>> sheets;
    counts.clear();
    std::vector<std::uint8_t> stream;
    const std::vector<std::uint8_t>* s = &file;
    if (workbookStream(file, stream)) s = &stream;
    const std::vector<std::uint8_t>& b = *s;
    // Substreams nest (a chart inside a worksheet): the sheet each open one belongs to, or -1.
    std::vector<long> open;
    std::size_t pos = 0;
    while (pos + 4 <= b.size()) {
        const std::uint16_t type = le16(&b[pos]);
        const std::uint16_t len = le16(&b[pos + 2]);
        if (pos + 4 + len > b.size()) break;
        const std::uint8_t* data = &b[pos + 4];
        if ((type & 0xFF) == 0x09 && (type >> 8) <= 8 && (type >> 8) % 2 == 0 && len >= 4 && open.size() < 64) {
            // BOF: a worksheet substream, or the globals, a chart, a macro sheet.
            if (le16(data + 2) == 0x0010) {
                sheets.emplace_back();
                counts.push_back(0);
                open.push_back(long(sheets.size()) - 1);
            } else {
                open.push_back(-1);
            }
        } else if (type == 0x000A) {
            if (!open.empty()) open.pop_back();
        } else if ((type == 0x0006 || type == 0x0206 || type == 0x0406) && len >= 4 && !open.empty() && open.back() >= 0) {
            const auto k = std::size_t(open.back());
            ++counts[k];
            if (sheets[k].size() < keep) sheets[k].emplace_back(le16(data), le16(data + 2));
        }
        pos += 4 + len;
    }
    return sheets;
}

int ReadInChild(const char* path, int fd, const Limits& limits)
{
    Writer out(fd);
    try {
        const void* handle = nullptr;
        const int rc = freexl_open(path, &handle);
        struct Closer { const void*& h; ~Closer() { if (h) freexl_close(h); } } closer{handle};
        if (rc != FREEXL_OK || !handle) {
            out.fault(rc == FREEXL_INSUFFICIENT_MEMORY ? OutOfMemory : OpenFailed, rc);
            return 0;
        }
        unsigned int info = 0;
        if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
            out.fault(Encrypted, 0);
            return 0;
        }
        out.tag('D');
        out.u8(freexl_get_info(handle, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK && info == FREEXL_BIFF_DATEMODE_1904);
        unsigned int count = 0;
        if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
            out.fault(SheetsUnreadable, 0);
            return 0;
        }
        // Formula cells, from the file's own records: FreeXL gives them as empty.
        std::vector<std::uint64_t> formulaCounts;
        std::vector<std::vector<std::pair<std::uint32_t, std::uint16_t>>> formulas;
        // Only a report: a file too large to search within the memory limit is read without it.
        if (FILE* f = std::fopen(path, "rb")) {
            try {
                std::vector<std::uint8_t> bytes;
                std::uint8_t block[65536];
                std::size_t n;
                while ((n = std::fread(block, 1, sizeof block, f)) > 0 && std::int64_t(bytes.size()) < limits.maxFileBytes)
                    bytes.insert(bytes.end(), block, block + n);
                formulas = FormulaCells(bytes, 1'000'000, formulaCounts);
            } catch (const std::bad_alloc&) {
                formulas.clear();
            }
            std::fclose(f);
        }
        for (unsigned int s = 0; s < count && s < unsigned(limits.maxSheets); ++s) {
            const char* name = nullptr;
            unsigned int rows = 0;
            unsigned short cols = 0;
            if (freexl_get_worksheet_name(handle, (unsigned short)s, &name) != FREEXL_OK ||
                freexl_select_active_worksheet(handle, (unsigned short)s) != FREEXL_OK ||
                freexl_worksheet_dimensions(handle, &rows, &cols) != FREEXL_OK) {
                out.fault(SheetUnreadable, std::int32_t(s));
                return 0;
            }
            out.tag('S');
            out.bytes(name);
            // The parent holds the sizes to its caps; this only keeps the loop finite.
            rows = std::min<unsigned int>(rows, unsigned(MaxRows));
            cols = std::min<unsigned short>(cols, std::uint16_t(MaxColumns));
            for (unsigned int r = 0; r < rows; ++r) {
                for (unsigned short c = 0; c < cols; ++c) {
                    FreeXL_CellValue v;
                    if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL) continue;
                    if (v.type == FREEXL_CELL_INT || v.type == FREEXL_CELL_DOUBLE) {
                        out.tag('N');
                        out.u32(r);
                        out.u16(c);
                        out.f64(v.type == FREEXL_CELL_INT ? double(v.value.int_value) : v.value.double_value);
                    } else {
                        out.tag('T');
                        out.u32(r);
                        out.u16(c);
                        out.bytes(v.value.text_value);
                    }
                }
            }
            if (s < formulas.size())
                for (const auto& [r, c] : formulas[s]) {
                    out.tag('F');
                    out.u32(r);
                    out.u16(c);
                }
        }
        out.tag('Z');
    } catch (const std::bad_alloc&) {
        out.fault(OutOfMemory, 0);
    }
    return 0;
}

} // namespace kovel::excel::xlschild
