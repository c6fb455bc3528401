#pragma once
// Reading of the update server's HTTP/1.1 replies: status line, header fields, and a body
// framed by Content-Length, the chunked transfer coding or the end of the connection.
// Everything read from the network is bounded here.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace HttpResposta {

// The three characters after the first blank of the reply, as a number (0 when they are
// not three digits); `reason` gets the text after "NNN " up to the next CR LF.
int GetHttpResponseCode(const QByteArray& reply, QByteArray& reason);
// The value of the first header line whose name (matched without regard to case at the
// start of a line) is `name`, blanks trimmed; nullopt when there is none.
std::optional<QByteArray> GetHttpHeaderFieldValue(const QByteArray& header, const QByteArray& name);
// The chunked transfer coding undone; nullopt when the coding is malformed, truncated, or
// the decoded body would pass `limit` bytes.
std::optional<QByteArray> DecodeChunkedMessage(const QByteArray& body, qint64 limit = 64 * 1024 * 1024);
// A Content-Length value: digits only, at most `limit`; nullopt otherwise.
std::optional<qint64> LlegirLongitud(const QByteArray& value, qint64 limit);

struct Limits {
    qsizetype maxHeader = 64 * 1024;              // bytes up to and including the blank line
    qint64 maxBody = qint64(8) * 1024 * 1024 * 1024; // declared or decoded body
};

// One reply, fed as it arrives. The header is handed to onHeader once it is complete;
// body bytes (decoded) to onBody. Either callback returns false to stop reading.
class Lector {
public:
    enum class Estat { Capcalera, Cos, Complet, Aturat, Error };

    void start(bool headRequest, Limits limits = {});
    Estat feed(const char* data, qsizetype size);
    // The peer closed the connection: completes a body that runs to the end of the
    // connection, otherwise an error (the reply was cut off).
    Estat peerClosed();
    Estat estat() const { return estat_; }

    std::function<bool()> onHeader;
    std::function<bool(const char*, qsizetype)> onBody;

    int code = 0;
    QByteArray reason;
    QByteArray header; // up to and including the CR LF that ends the last header line
    std::optional<qint64> contentLength;
    bool chunked = false;
    bool connectionClose = false; // the server ends the connection after this reply
    QByteArray lastModified;
    qint64 bodyBytes = 0;   // body bytes handed on
    qint64 excessBytes = 0; // bytes after the end of the reply (dropped)
    QString error;

private:
    Estat fail(const QString& why);
    Estat parseHeader();
    Estat body(const char* data, qsizetype size);
    Estat chunkedBody(const char* data, qsizetype size);
    bool deliver(const char* data, qsizetype size);

    enum class Chunk { Size, Data, DataEnd, Trailer };
    Estat estat_ = Estat::Capcalera;
    bool head_ = false;
    Limits limits_;
    QByteArray pending_; // header bytes so far, or a partial chunk-size / trailer line
    qint64 remaining_ = -1; // body bytes still expected (Content-Length or current chunk)
    Chunk chunk_ = Chunk::Size;
    bool closeDelimited_ = false;
};

} // namespace HttpResposta
