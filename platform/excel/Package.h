#pragma once
// A zip package of XML parts (.xlsx, .ods) opened with libzip: each part is a stream that
// inflates as the XML reader asks for more, under the caps of Limits, so that a bomb is
// stopped by what really comes out and never by what the package declares.
#include "platform/excel/Workbook.h"
#include "platform/excel/Xml.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <zip.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace kovel::excel {

struct Package;

// One part of the package as a stream that inflates as the XML reader asks for more, so the
// part is never held whole; the caps count what really comes out, not what the package says.
// A large part is inflated by a thread of its own a few blocks ahead of the reader.
class PartStream : public QIODevice {
public:
    PartStream(Package& pkg, zip_file_t* file, QString name, std::int64_t declared);
    ~PartStream() override;
    bool isSequential() const override { return true; }
    // The size the package gives (0 when it gives none): a hint, never trusted as a bound.
    std::int64_t declaredSize() const { return m_declared; }

protected:
    qint64 readData(char* data, qint64 max) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    static constexpr std::int64_t kThreadFrom = 1 << 20;
    static constexpr qsizetype kBlock = 256 << 10;
    static constexpr std::size_t kBlocksAhead = 8;

    // Up to `max` inflated bytes into `data`; -1 with `error` when the part is corrupt or
    // goes over the caps.
    qint64 inflate(char* data, qint64 max, QString& error);
    void produce();

    Package& m_pkg;
    zip_file_t* m_file;
    QString m_name;
    std::int64_t m_declared;
    std::int64_t m_before;     // unpacked by the parts read before this one
    std::int64_t m_size = 0;   // unpacked from this part (by the thread while it runs)
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<QByteArray> m_blocks;
    bool m_done = false, m_stop = false;
    QString m_threadError;
    QByteArray m_current;
    qsizetype m_at = 0;
};

struct Package {
    zip_t* zip = nullptr;
    const Limits& limits;
    std::int64_t unpacked = 0;
    QString error;

    explicit Package(const Limits& l) : limits(l) {}
    ~Package() { if (zip) zip_discard(zip); }

    bool open(const QString& path, const QByteArray* bytes)
    {
        int code = 0;
        if (bytes) {
            zip_error_t err;
            zip_error_init(&err);
            zip_source_t* src = zip_source_buffer_create(bytes->constData(), zip_uint64_t(bytes->size()), 0, &err);
            if (src) {
                zip = zip_open_from_source(src, ZIP_RDONLY, &err);
                if (!zip) zip_source_free(src);
            }
            code = zip_error_code_zip(&err);
            zip_error_fini(&err);
        } else {
            zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
        }
        if (!zip) {
            error = code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS
                        ? QStringLiteral("the file is truncated or is not a valid workbook package")
                        : QStringLiteral("the workbook package cannot be read (zip error %1)").arg(code);
            return false;
        }
        return true;
    }

    // The part as a stream; null with `error` when it is missing (and `required`), encrypted,
    // or declared larger than the caps allow; null without error when an optional part is
    // missing or empty.
    std::unique_ptr<PartStream> part(QString name, bool required)
    {
        while (name.startsWith(u'/')) name.remove(0, 1);
        const zip_int64_t index = zip_name_locate(zip, name.toUtf8().constData(), ZIP_FL_NOCASE);
        if (index < 0) {
            if (required) error = QStringLiteral("the workbook package has no part \"%1\"").arg(name);
            return nullptr;
        }
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, zip_uint64_t(index), 0, &st) != 0) {
            error = QStringLiteral("the part \"%1\" cannot be read").arg(name);
            return nullptr;
        }
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) {
            error = QStringLiteral("the workbook is encrypted");
            return nullptr;
        }
        if ((st.valid & ZIP_STAT_SIZE) && (std::int64_t(st.size) > limits.maxPartBytes ||
                                           unpacked + std::int64_t(st.size) > limits.maxUnpackedBytes)) {
            error = QStringLiteral("the workbook unpacks to more than the allowed size");
            return nullptr;
        }
        if (!required && (st.valid & ZIP_STAT_SIZE) && st.size == 0) return nullptr;
        zip_file_t* f = zip_fopen_index(zip, zip_uint64_t(index), 0);
        if (!f) {
            error = QStringLiteral("the part \"%1\" cannot be unpacked").arg(name);
            return nullptr;
        }
        return std::make_unique<PartStream>(*this, f, name, (st.valid & ZIP_STAT_SIZE) ? std::int64_t(st.size) : 0);
    }

    // Why reading `what` failed: the package's own fault (corrupt, over the caps) first, as the
    // XML reader only sees its data end there.
    QString failure(const QString& what, const Xml& x) const
    {
        return error.isEmpty() ? QStringLiteral("%1: %2").arg(what, x.error()) : error;
    }
};


} // namespace kovel::excel
