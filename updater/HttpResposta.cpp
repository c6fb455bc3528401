#include "updater/HttpResposta.h"

#include <QList>

namespace HttpResposta {

namespace {

constexpr qsizetype kMaxLine = 4096;

bool isDigits(const QByteArray& s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::optional<qint64> hexSize(QByteArray line)
{
    if (const qsizetype semi = line.indexOf(';'); semi >= 0)
        line.truncate(semi); // chunk extensions
    line = line.trimmed();
    if (line.isEmpty() || line.size() > 15)
        return std::nullopt;
    qint64 v = 0;
    for (char c : line) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return std::nullopt;
        v = v * 16 + d;
    }
    return v;
}

// Calls `f` with each line of a header (without its CR LF) until it returns false.
template <typename F>
void forEachLine(const QByteArray& header, F&& f)
{
    qsizetype start = 0;
    while (start < header.size()) {
        qsizetype eol = header.indexOf("\r\n", start);
        if (eol < 0)
            eol = header.size();
        if (!f(header.mid(start, eol - start)))
            return;
        start = eol + 2;
    }
}

} // namespace

int GetHttpResponseCode(const QByteArray& reply, QByteArray& reason)
{
    reason.clear();
    const qsizetype blank = reply.indexOf(' ');
    if (blank < 0)
        return 0;
    const QByteArray digits = reply.mid(blank + 1, 3);
    const qsizetype eol = reply.indexOf("\r\n", blank + 1);
    const qsizetype from = blank + 5;
    if (from < reply.size() && (eol < 0 || from < eol))
        reason = reply.mid(from, eol < 0 ? -1 : eol - from);
    return digits.size() == 3 && isDigits(digits) ? digits.toInt() : 0;
}

std::optional<QByteArray> GetHttpHeaderFieldValue(const QByteArray& header, const QByteArray& name)
{
    const QByteArray wanted = name.toLower() + ':';
    std::optional<QByteArray> value;
    forEachLine(header, [&](const QByteArray& line) {
        if (line.size() >= wanted.size() && line.left(wanted.size()).toLower() == wanted)
            value = line.mid(wanted.size()).trimmed();
        return !value;
    });
    return value;
}

std::optional<QByteArray> DecodeChunkedMessage(const QByteArray& body, qint64 limit)
{
    QByteArray out;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype eol = body.indexOf("\r\n", pos);
        if (eol < 0 || eol - pos > kMaxLine)
            return std::nullopt;
        const auto size = hexSize(body.mid(pos, eol - pos));
        if (!size)
            return std::nullopt;
        pos = eol + 2;
        if (*size == 0)
            return out;
        if (*size > limit - out.size() || *size > body.size() - pos)
            return std::nullopt;
        out.append(body.constData() + pos, static_cast<qsizetype>(*size));
        pos += static_cast<qsizetype>(*size);
        if (body.mid(pos, 2) != "\r\n")
            return std::nullopt;
        pos += 2;
    }
}

std::optional<qint64> LlegirLongitud(const QByteArray& value, qint64 limit)
{
    const QByteArray v = value.trimmed();
    if (!isDigits(v) || v.size() > 18)
        return std::nullopt;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok || n > limit)
        return std::nullopt;
    return n;
}

void Lector::start(bool headRequest, Limits limits)
{
    const auto h = onHeader;
    const auto b = onBody;
    *this = Lector();
    onHeader = h;
    onBody = b;
    head_ = headRequest;
    limits_ = limits;
}

Lector::Estat Lector::fail(const QString& why)
{
    error = why;
    pending_.clear();
    return estat_ = Estat::Error;
}

Lector::Estat Lector::feed(const char* data, qsizetype size)
{
    if (size <= 0)
        return estat_;
    switch (estat_) {
    case Estat::Complet:
        excessBytes += size;
        return estat_;
    case Estat::Aturat:
    case Estat::Error:
        return estat_;
    case Estat::Cos:
        return body(data, size);
    case Estat::Capcalera:
        break;
    }
    // Only as much as can still belong to the header is kept while looking for its end.
    const qsizetype old = pending_.size();
    const qsizetype take = std::min<qsizetype>(size, limits_.maxHeader + 4 - old);
    pending_.append(data, take);
    const qsizetype end = pending_.indexOf("\r\n\r\n", std::max<qsizetype>(0, old - 3));
    if (end < 0 || end + 4 > limits_.maxHeader) {
        if (pending_.size() >= limits_.maxHeader || (end >= 0))
            return fail(QStringLiteral("capçalera de resposta massa llarga"));
        return estat_;
    }
    header = pending_.left(end + 2);
    const qsizetype used = end + 4 - old; // bytes of this block that belong to the header
    pending_.clear();
    if (parseHeader() != Estat::Cos)
        return estat_;
    if (onHeader && !onHeader())
        return estat_ = Estat::Aturat;
    if (estat_ == Estat::Complet) {
        excessBytes += size - used;
        return estat_;
    }
    return body(data + used, size - used);
}

Lector::Estat Lector::parseHeader()
{
    code = GetHttpResponseCode(header, reason);
    if (reason.size() > 200)
        reason.truncate(200);
    for (char& c : reason)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    // An HTTP/1.0 reply ends its connection unless it says it keeps it.
    const bool http10 = header.startsWith("HTTP/1.0");
    connectionClose = http10;
    // Every occurrence of a length must agree.
    QString invalid;
    forEachLine(header, [&](const QByteArray& line) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return true;
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            const auto n = LlegirLongitud(value, limits_.maxBody);
            if (!n)
                invalid = QStringLiteral("Content-Length no vàlid: ") + QString::fromLatin1(value.left(40));
            else if (contentLength && *contentLength != *n)
                invalid = QStringLiteral("Content-Length repetit amb valors diferents");
            else
                contentLength = n;
        } else if (name == "transfer-encoding") {
            chunked = value.toLower().endsWith("chunked");
        } else if (name == "connection") {
            const QByteArray v = value.toLower();
            connectionClose = v.contains("close") || (http10 && !v.contains("keep-alive"));
        } else if (name == "last-modified" && lastModified.isEmpty()) {
            lastModified = value.left(100);
        }
        return invalid.isEmpty();
    });
    if (!invalid.isEmpty())
        return fail(invalid);
    if (head_ || code == 204 || code == 304 || (code >= 100 && code < 200)) {
        estat_ = Estat::Complet;
        return Estat::Cos; // header accepted; no body follows
    }
    estat_ = Estat::Cos;
    if (chunked) {
        chunk_ = Chunk::Size;
    } else if (contentLength) {
        remaining_ = *contentLength;
    } else {
        closeDelimited_ = true;
    }
    return Estat::Cos;
}

bool Lector::deliver(const char* data, qsizetype size)
{
    if (size <= 0)
        return true;
    if (bodyBytes + size > limits_.maxBody) {
        fail(QStringLiteral("resposta més llarga del que s'admet"));
        return false;
    }
    bodyBytes += size;
    if (onBody && !onBody(data, size)) {
        if (estat_ != Estat::Error)
            estat_ = Estat::Aturat;
        return false;
    }
    return true;
}

Lector::Estat Lector::body(const char* data, qsizetype size)
{
    if (estat_ != Estat::Cos)
        return estat_;
    if (chunked)
        return chunkedBody(data, size);
    if (closeDelimited_) {
        deliver(data, size);
        return estat_;
    }
    const qsizetype n = static_cast<qsizetype>(std::min<qint64>(remaining_, size));
    if (!deliver(data, n))
        return estat_;
    remaining_ -= n;
    if (remaining_ == 0) {
        estat_ = Estat::Complet;
        excessBytes += size - n;
    }
    return estat_;
}

Lector::Estat Lector::chunkedBody(const char* data, qsizetype size)
{
    qsizetype pos = 0;
    while (pos < size && estat_ == Estat::Cos) {
        switch (chunk_) {
        case Chunk::Size:
        case Chunk::Trailer: {
            const char* nl = static_cast<const char*>(memchr(data + pos, '\n', size - pos));
            const qsizetype n = nl ? nl - (data + pos) + 1 : size - pos;
            pending_.append(data + pos, n);
            pos += n;
            if (pending_.size() > kMaxLine)
                return fail(QStringLiteral("línia de la codificació chunked massa llarga"));
            if (!nl)
                break;
            if (!pending_.endsWith("\r\n"))
                return fail(QStringLiteral("codificació chunked no vàlida"));
            QByteArray line = pending_.left(pending_.size() - 2);
            pending_.clear();
            if (chunk_ == Chunk::Trailer) {
                if (line.isEmpty()) {
                    estat_ = Estat::Complet;
                    excessBytes += size - pos;
                }
                break;
            }
            const auto s = hexSize(line);
            if (!s)
                return fail(QStringLiteral("mida de fragment no vàlida"));
            if (*s > limits_.maxBody - bodyBytes)
                return fail(QStringLiteral("resposta més llarga del que s'admet"));
            remaining_ = *s;
            chunk_ = *s == 0 ? Chunk::Trailer : Chunk::Data;
            break;
        }
        case Chunk::Data: {
            const qsizetype n = static_cast<qsizetype>(std::min<qint64>(remaining_, size - pos));
            if (!deliver(data + pos, n))
                return estat_;
            pos += n;
            remaining_ -= n;
            if (remaining_ == 0)
                chunk_ = Chunk::DataEnd;
            break;
        }
        case Chunk::DataEnd: {
            pending_.append(data[pos++]);
            if (pending_.size() == 2) {
                if (pending_ != "\r\n")
                    return fail(QStringLiteral("codificació chunked no vàlida"));
                pending_.clear();
                chunk_ = Chunk::Size;
            } else if (pending_ != "\r") {
                return fail(QStringLiteral("codificació chunked no vàlida"));
            }
            break;
        }
        }
    }
    return estat_;
}

Lector::Estat Lector::peerClosed()
{
    if (estat_ == Estat::Cos && closeDelimited_)
        return estat_ = Estat::Complet;
    if (estat_ == Estat::Capcalera || estat_ == Estat::Cos)
        return fail(QStringLiteral("el servidor ha tancat la connexió abans del final de la resposta"));
    return estat_;
}

} // namespace HttpResposta
