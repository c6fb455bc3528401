#include "platform/excel/Package.h"

#include <algorithm>
#include <cstring>

namespace kovel::excel {

PartStream::PartStream(Package& pkg, zip_file_t* file, QString name, std::int64_t declared)
    : m_pkg(pkg), m_file(file), m_name(std::move(name)), m_declared(declared), m_before(pkg.unpacked)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    if (declared >= kThreadFrom) m_thread = std::thread([this] { produce(); });
}

PartStream::~PartStream()
{
    if (m_thread.joinable()) {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }
    zip_fclose(m_file);
    m_pkg.unpacked = m_before + m_size;
}

qint64 PartStream::inflate(char* data, qint64 max, QString& error)
{
    const zip_int64_t got = zip_fread(m_file, data, zip_uint64_t(max));
    if (got < 0) {
        error = QStringLiteral("the workbook is truncated or corrupt (part \"%1\")").arg(m_name);
        return -1;
    }
    m_size += got;
    if (m_size > m_pkg.limits.maxPartBytes || m_before + m_size > m_pkg.limits.maxUnpackedBytes) {
        error = QStringLiteral("the workbook unpacks to more than the allowed size");
        return -1;
    }
    return got;
}

void PartStream::produce()
{
    QString error;
    for (;;) {
        QByteArray block(kBlock, Qt::Uninitialized);
        const qint64 got = inflate(block.data(), kBlock, error);
        if (got <= 0) break;
        block.truncate(got);
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_stop || m_blocks.size() < kBlocksAhead; });
        if (m_stop) return;
        m_blocks.push_back(std::move(block));
        lock.unlock();
        m_cv.notify_all();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_threadError = error;
        m_done = true;
    }
    m_cv.notify_all();
}

qint64 PartStream::readData(char* data, qint64 max)
{
    if (!m_pkg.error.isEmpty()) return -1;
    if (!m_thread.joinable()) return inflate(data, max, m_pkg.error);
    if (m_at >= m_current.size()) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_done || !m_blocks.empty(); });
        if (m_blocks.empty()) {
            // Everything is read, or the thread stopped on a fault.
            m_pkg.error = m_threadError;
            return m_threadError.isEmpty() ? 0 : -1;
        }
        m_current = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_at = 0;
        lock.unlock();
        m_cv.notify_all();
    }
    const qint64 n = std::min<qint64>(max, m_current.size() - m_at);
    std::memcpy(data, m_current.constData() + m_at, std::size_t(n));
    m_at += n;
    return n;
}
} // namespace kovel::excel
