// .xls (the older binary format). With LibreOffice installed, the file is converted once,
// headless, into .ods in a private temporary folder (with a user installation of its own, so a
// running office of the user is never touched) and read with the .ods reader: formula results
// and number formats come through as the spreadsheet shows them. Without it, FreeXL reads the
// file in a child process under memory and time limits (see XlsChild.h).
#include "platform/excel/WorkbookImpl.h"
#include "platform/excel/XlsChild.h"

#include <freexl.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KOVEL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOVEL_ASAN 1
#endif
#endif

namespace kovel::excel {

namespace {

// ---------------------------------------------------------------- through LibreOffice

enum class Conversion { Done, NotStarted, Failed };

} // namespace

bool PrepareOfficeProfile(const QString& profileDir)
{
    // A new user installation counts as the first run of a newer version, and the office then
    // spends seconds on graphics self-tests before it converts anything; marked as already run
    // by any version, it goes straight to work.
    if (!QDir().mkpath(profileDir + QStringLiteral("/user"))) return false;
    QFile f(profileDir + QStringLiteral("/user/registrymodifications.xcu"));
    if (f.exists()) return true;
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                   "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
                   "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\">"
                   "<value>99.9</value></prop></item>\n"
                   "</oor:items>\n") > 0;
}

namespace {

QString officeProgram(const Limits& limits)
{
    if (limits.officeProgram == u"none") return {};
    if (!limits.officeProgram.isEmpty()) return limits.officeProgram;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty()) return {};
    // Only an office with its spreadsheet (packaged apart on Debian) converts a workbook.
    const QDir program = QFileInfo(QFileInfo(found).canonicalFilePath()).dir();
    return program.exists(QStringLiteral("libsclo.so")) ? found : QString();
}

Conversion readThroughOffice(const QString& program, Workbook& book, const QString& path, QString& error,
                             const Limits& limits)
{
    // Everything the conversion writes stays in this folder, removed on every way out.
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/kovel-xls-XXXXXX"));
    if (!dir.isValid()) {
        error = QStringLiteral("no temporary folder for converting the workbook (%1)").arg(dir.errorString());
        return Conversion::Failed;
    }
    const QString in = dir.filePath(QStringLiteral("in/workbook.xls"));
    const QString outDir = dir.filePath(QStringLiteral("out"));
    for (const char* sub : {"in", "out", "profile", "tmp"}) QDir(dir.path()).mkpath(QString::fromLatin1(sub));
    PrepareOfficeProfile(dir.filePath(QStringLiteral("profile")));
    // A copy under a plain name: the result's name is then known whatever the file is called.
    if (!QFile::copy(path, in)) {
        error = QStringLiteral("the file cannot be read for converting");
        return Conversion::Failed;
    }

    QProcess office;
    office.setProgram(program);
    office.setArguments({QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nolockcheck"),
                         QStringLiteral("--nologo"), QStringLiteral("--nodefault"),
                         QStringLiteral("-env:UserInstallation=") +
                             QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(QUrl::FullyEncoded),
                         // The Excel import and no other: a damaged file would otherwise be taken
                         // for text and "converted" into garbage.
                         QStringLiteral("--infilter=MS Excel 97"),
                         QStringLiteral("--convert-to"), QStringLiteral("ods"), QStringLiteral("--outdir"), outDir, in});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), dir.filePath(QStringLiteral("tmp")));
    office.setProcessEnvironment(env);
    office.setStandardInputFile(QProcess::nullDevice());
    office.setStandardOutputFile(QProcess::nullDevice());
    office.setStandardErrorFile(dir.filePath(QStringLiteral("tmp/messages")));
    // A group of its own, so that the office's own children are stopped with it.
    office.setChildProcessModifier([] { ::setsid(); });
    office.start();
    if (!office.waitForStarted(30'000)) return Conversion::NotStarted;
    const auto group = pid_t(office.processId());
    const bool finished = office.waitForFinished(std::max(1, limits.conversionSeconds) * 1000);
    ::kill(-group, SIGKILL);
    if (!finished) {
        office.waitForFinished(10'000);
        error = QStringLiteral("LibreOffice took longer than %1 s to convert the workbook and was stopped")
                    .arg(limits.conversionSeconds);
        return Conversion::Failed;
    }
    const QString converted = dir.filePath(QStringLiteral("out/workbook.ods"));
    if (office.exitStatus() != QProcess::NormalExit || office.exitCode() != 0 || !QFile::exists(converted)) {
        error = QStringLiteral("LibreOffice could not convert the workbook (it is damaged, password-protected or "
                               "not an .xls workbook)");
        return Conversion::Failed;
    }
    QString why;
    if (!ReadOds(book, converted, nullptr, why, limits)) {
        error = QStringLiteral("the workbook converted by LibreOffice cannot be read: %1").arg(why);
        return Conversion::Failed;
    }
    return Conversion::Done;
}

// ---------------------------------------------------------------- through FreeXL, in a child

void limitChild(const Limits& limits)
{
    struct rlimit none = {0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    ::setrlimit(RLIMIT_FSIZE, &none);
    const auto seconds = rlim_t(std::max(1, limits.freexlSeconds));
    struct rlimit cpu = {seconds, seconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
#ifndef KOVEL_ASAN
    // The child starts as a copy of the program: the limit is what it may map beyond that.
    // (The address sanitizer reserves terabytes up front, so a checked build goes without.)
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    const auto mapped = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE));
    struct rlimit memory = {mapped + rlim_t(limits.freexlMemoryBytes), mapped + rlim_t(limits.freexlMemoryBytes)};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
}

bool readWithFreeXL(Workbook& book, const QString& path, QString& error, const Limits& limits)
{
    const QByteArray file = QFile::encodeName(path);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = QStringLiteral("the .xls reader cannot be started (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        error = QStringLiteral("the .xls reader cannot be started (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        limitChild(limits);
        ::_exit(xlschild::ReadInChild(file.constData(), fds[1], limits));
    }
    ::close(fds[1]);

    // The records, up to the cap and the time limit.
    QByteArray records;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(1, limits.freexlSeconds));
    bool timedOut = false, tooLarge = false;
    char block[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) { timedOut = true; break; }
        struct pollfd p = {fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, int(std::min<std::int64_t>(left.count(), 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        const ssize_t n = ::read(fds[0], block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (records.size() + n > limits.maxUnpackedBytes) { tooLarge = true; break; }
        records.append(block, qsizetype(n));
    }
    ::close(fds[0]);
    if (timedOut || tooLarge) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}

    if (timedOut || (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU)) {
        error = QStringLiteral("reading the .xls workbook took longer than %1 s and was stopped (the file may be damaged)")
                    .arg(limits.freexlSeconds);
        return false;
    }
    if (tooLarge) {
        error = QStringLiteral("the workbook unpacks to more than the allowed size");
        return false;
    }
    if (WIFSIGNALED(status)) {
        error = QStringLiteral("the .xls reader (FreeXL) failed on the file (signal %1): it is damaged or not an .xls "
                               "workbook it can read")
                    .arg(WTERMSIG(status));
        return false;
    }
    return xlschild::DecodeXlsRecords(records, book, limits, error);
}

} // namespace

namespace xlschild {

namespace {

class Records {
public:
    explicit Records(const QByteArray& b) : m_b(b) {}
    bool atEnd() const { return m_at >= m_b.size(); }
    template <typename T> bool get(T& v)
    {
        if (m_b.size() - m_at < qsizetype(sizeof(T))) return false;
        std::memcpy(&v, m_b.constData() + m_at, sizeof(T));
        m_at += qsizetype(sizeof(T));
        return true;
    }
    bool text(std::uint32_t max, QString& out)
    {
        std::uint32_t n = 0;
        if (!get(n) || n > max || m_b.size() - m_at < qsizetype(n)) return false;
        out = QString::fromUtf8(m_b.constData() + m_at, qsizetype(n));
        m_at += qsizetype(n);
        return true;
    }

private:
    const QByteArray& m_b;
    qsizetype m_at = 0;
};

} // namespace

bool DecodeXlsRecords(const QByteArray& bytes, Workbook& book, const Limits& limits, QString& error)
{
    Records r(bytes);
    Workbook::Shared& sh = book.shared();
    Worksheet* sheet = nullptr;
    // Formula cells without a value, per sheet: how many and the first few.
    struct Formulas { QString sheet; std::int64_t count = 0; QStringList first; };
    std::vector<Formulas> formulas;
    const auto broken = [&] {
        error = QStringLiteral("the .xls reader (FreeXL) gave an incomplete or malformed answer");
        return false;
    };
    const auto finishSheet = [&] {
        if (sheet) sheet->impl().finish();
        sheet = nullptr;
    };
    QString text;
    while (!r.atEnd()) {
        char tag = 0;
        r.get(tag);
        if (tag == 'Z') {
            finishSheet();
            QStringList parts;
            for (const Formulas& f : formulas) {
                if (f.count == 0) continue;
                QString cells = f.first.join(QStringLiteral(", "));
                if (f.count > f.first.size()) cells += QStringLiteral(" and %1 more").arg(f.count - f.first.size());
                parts << QStringLiteral("worksheet \"%1\": %2").arg(f.sheet, cells);
            }
            if (!parts.isEmpty())
                book.AddWarning(QStringLiteral("The formula cells of this .xls workbook show empty: without LibreOffice "
                                               "installed, FreeXL reads the file and cannot give their values (%1). "
                                               "Save the workbook as .xlsx or .ods, or install LibreOffice.")
                                    .arg(parts.join(QStringLiteral("; "))));
            return true;
        }
        if (tag == 'E') {
            std::uint32_t fault = 0;
            std::int32_t detail = 0;
            if (!r.get(fault) || !r.get(detail)) return broken();
            switch (fault) {
            case Encrypted: error = QStringLiteral("the workbook is encrypted (password-protected)"); break;
            case OutOfMemory:
                error = QStringLiteral("reading the .xls workbook needs more than %1 MB of memory (the file may be damaged)")
                            .arg(limits.freexlMemoryBytes >> 20);
                break;
            case SheetsUnreadable: error = QStringLiteral("the worksheets of the workbook cannot be read"); break;
            case SheetUnreadable: error = QStringLiteral("worksheet %1 of the workbook cannot be read").arg(detail + 1); break;
            default:
                error = detail == FREEXL_BIFF_WORKBOOK_NOT_FOUND
                            ? QStringLiteral("the file holds no .xls workbook (it may be encrypted)")
                            : QStringLiteral("the file is truncated, corrupt or not an .xls workbook (FreeXL error %1)").arg(detail);
            }
            return false;
        }
        if (tag == 'D') {
            std::uint8_t d = 0;
            if (!r.get(d)) return broken();
            book.SetDate1904(d != 0);
            sh.date1904 = d != 0;
        } else if (tag == 'S') {
            finishSheet();
            if (!r.text(4096, text)) return broken();
            if (book.Count() >= limits.maxSheets) {
                error = QStringLiteral("the workbook has too many worksheets");
                return false;
            }
            sheet = &book.AddSheet(text, false);
            formulas.push_back({text, 0, {}});
        } else if (tag == 'N' || tag == 'T' || tag == 'F') {
            std::uint32_t row = 0;
            std::uint16_t column = 0;
            if (!sheet || !r.get(row) || !r.get(column)) return broken();
            if (row >= std::uint32_t(MaxRows) || column >= MaxColumns) {
                error = QStringLiteral("worksheet \"%1\" is larger than allowed").arg(sheet->Name());
                return false;
            }
            if (tag == 'F') {
                Formulas& f = formulas.back();
                if (f.count++ < 5) f.first << ColumnName(column + 1) + QString::number(row + 1);
                continue;
            }
            if (++sh.cells > limits.maxCells) {
                error = QStringLiteral("the workbook has more than %1 cells").arg(limits.maxCells);
                return false;
            }
            CellData d{};
            d.row = row + 1;
            d.column = std::uint16_t(column + 1);
            if (tag == 'N') {
                double v = 0;
                if (!r.get(v)) return broken();
                d.kind = Kind::Number;
                d.number = v;
            } else {
                // Texts, and dates and times that FreeXL gives as ISO text.
                if (!r.text(std::uint32_t(std::min<std::int64_t>(std::int64_t(limits.maxCellTextChars) * 4, UINT32_MAX)), text))
                    return broken();
                if (text.isEmpty()) continue;
                d.kind = Kind::Text;
                d.text.offset = sheet->impl().addText(QStringView(text).left(limits.maxCellTextChars), d.text.length);
            }
            sheet->impl().add(d);
        } else {
            return broken();
        }
    }
    // No end record: the child stopped on its way.
    return broken();
}

} // namespace xlschild

bool BareXlsStreamIsWhole(QIODevice& file)
{
    // Read in blocks, once: a file of empty records is millions of them.
    if (!file.seek(0)) return false;
    std::int64_t open = 0;   // substreams nest (a worksheet in a BIFF4 workbook, a chart in a sheet)
    std::int64_t skip = 0;   // data of the record being passed still to come
    int type = -1;           // of that record, once its header is whole
    unsigned char header[4];
    int have = 0;
    char block[65536];
    for (;;) {
        const qint64 n = file.read(block, sizeof block);
        if (n <= 0) return false;   // the file ends before the stream closes
        for (qint64 i = 0; i < n;) {
            if (type < 0) {
                header[have++] = static_cast<unsigned char>(block[i++]);
                if (have < 4) continue;
                have = 0;
                type = header[0] | (header[1] << 8);
                skip = header[2] | (header[3] << 8);
            }
            const qint64 step = std::min<qint64>(skip, n - i);
            skip -= step;
            i += step;
            if (skip > 0) continue;
            // The record is whole.
            if ((type & 0xFF) == 0x09 && (type >> 8) <= 8 && (type >> 8) % 2 == 0) {
                ++open;
            } else if (type == 0x000A) {
                if (--open <= 0) return true;
            } else if (open == 0) {
                return false;   // records before any BOF: not a record stream
            }
            type = -1;
        }
    }
}

bool ReadXls(Workbook& book, const QString& path, QString& error, const Limits& limits)
{
    const QString program = officeProgram(limits);
    if (!program.isEmpty()) {
        switch (readThroughOffice(program, book, path, error, limits)) {
        case Conversion::Done: return true;
        case Conversion::Failed: return false;
        case Conversion::NotStarted: break;   // as if it were not installed
        }
    }
    return readWithFreeXL(book, path, error, limits);
}

} // namespace kovel::excel
