// Any bytes as a server's reply, fed in pieces of varying size: the reader ends in a
// defined state, never hands on more than the declared length, and the helpers stay safe.
#include "updater/HttpResposta.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // First byte: the request kind and the piece size.
    const bool head = data[0] & 1;
    const qsizetype piece = 1 + (data[0] >> 1);
    const char* p = reinterpret_cast<const char*>(data + 1);
    const qsizetype n = qsizetype(size - 1);

    HttpResposta::Lector lector;
    qint64 handed = 0;
    lector.onHeader = [] { return true; };
    lector.onBody = [&](const char*, qsizetype len) {
        handed += len;
        return true;
    };
    HttpResposta::Limits limits;
    limits.maxHeader = 4096;
    limits.maxBody = 1 << 20;
    lector.start(head, limits);
    for (qsizetype pos = 0; pos < n; pos += piece)
        lector.feed(p + pos, std::min(piece, n - pos));
    lector.peerClosed();
    if (handed != lector.bodyBytes || handed > limits.maxBody)
        std::abort();
    if (lector.contentLength && !lector.chunked && handed > *lector.contentLength)
        std::abort();
    if (head && handed != 0)
        std::abort();

    const QByteArray whole(p, n);
    QByteArray reason;
    HttpResposta::GetHttpResponseCode(whole, reason);
    HttpResposta::GetHttpHeaderFieldValue(whole, "Content-Length");
    if (const auto d = HttpResposta::DecodeChunkedMessage(whole, 1 << 20); d && d->size() > n)
        std::abort();
    HttpResposta::LlegirLongitud(whole.left(24), 1 << 20);
    return 0;
}
