#include "codes/PngGris.h"

#include <QtEndian>

#include <zlib.h>

namespace CodiImatge {

namespace {

void Bloc(QByteArray& png, const char* tipus, const QByteArray& dades)
{
    char mida[4];
    qToBigEndian<quint32>(quint32(dades.size()), mida);
    png.append(mida, 4);
    const qsizetype inici = png.size();
    png.append(tipus, 4);
    png.append(dades);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(png.constData() + inici), uInt(png.size() - inici));
    char c[4];
    qToBigEndian<quint32>(quint32(crc), c);
    png.append(c, 4);
}

} // namespace

QByteArray PngGris(const QImage& gris)
{
    if (gris.isNull() || gris.format() != QImage::Format_Grayscale8)
        return {};
    const int w = gris.width(), h = gris.height();
    // Every row with filter 0 (none), then the rows deflated at the fastest level.
    QByteArray files;
    files.reserve(qsizetype(w + 1) * h);
    for (int y = 0; y < h; ++y) {
        files.append('\0');
        files.append(reinterpret_cast<const char*>(gris.constScanLine(y)), w);
    }
    // One deflate state kept for the thread: setting one up costs more than a code's rows.
    struct Deflate {
        z_stream z{};
        bool ok = deflateInit(&z, 1) == Z_OK;
        ~Deflate()
        {
            if (ok)
                deflateEnd(&z);
        }
    };
    thread_local Deflate d;
    if (!d.ok || deflateReset(&d.z) != Z_OK)
        return {};
    uLong mida = deflateBound(&d.z, uLong(files.size()));
    QByteArray idat(qsizetype(mida), Qt::Uninitialized);
    d.z.next_in = reinterpret_cast<Bytef*>(files.data());
    d.z.avail_in = uInt(files.size());
    d.z.next_out = reinterpret_cast<Bytef*>(idat.data());
    d.z.avail_out = uInt(mida);
    if (deflate(&d.z, Z_FINISH) != Z_STREAM_END)
        return {};
    mida = d.z.total_out;
    idat.resize(qsizetype(mida));

    QByteArray ihdr(13, '\0');
    qToBigEndian<quint32>(quint32(w), ihdr.data());
    qToBigEndian<quint32>(quint32(h), ihdr.data() + 4);
    ihdr[8] = 8;   // bits a sample
    ihdr[9] = 0;   // grey
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    Bloc(png, "IHDR", ihdr);
    Bloc(png, "IDAT", idat);
    Bloc(png, "IEND", {});
    return png;
}

QByteArray PngCodi(const QImage& imatge, bool transparent)
{
    if (transparent || imatge.isNull() || !imatge.allGray())
        return {};
    return PngGris(imatge.convertToFormat(QImage::Format_Grayscale8));
}

} // namespace CodiImatge
