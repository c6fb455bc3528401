#include "codes/PngGris.h"

#include <QtEndian>

#include <cstring>

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

QByteArray PngGris(const QByteArray& filesGris, int w, int h)
{
    if (w < 1 || h < 1 || filesGris.size() != qsizetype(w) * h)
        return {};
    // The first row as it is, every other one as its difference from the row above (a
    // code's rows mostly repeat: runs of zeros), deflated by runs at the fastest level.
    QByteArray files(qsizetype(w + 1) * h, Qt::Uninitialized);
    for (int y = 0; y < h; ++y) {
        const uchar* ara = reinterpret_cast<const uchar*>(filesGris.constData()) + qsizetype(y) * w;
        uchar* desti = reinterpret_cast<uchar*>(files.data()) + qsizetype(y) * (w + 1);
        if (y == 0) {
            desti[0] = 0;   // filter None
            std::memcpy(desti + 1, ara, size_t(w));
        } else {
            desti[0] = 2;   // filter Up
            const uchar* dalt = ara - w;
            for (int x = 0; x < w; ++x)
                desti[x + 1] = uchar(ara[x] - dalt[x]);
        }
    }
    // One deflate state kept for the thread: setting one up costs more than a code's rows.
    struct Deflate {
        z_stream z{};
        bool ok = deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE) == Z_OK;
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
    if (transparent || imatge.isNull())
        return {};
    // Grey and opaque pixels only; read straight, as a general conversion goes through the
    // colour handling and costs many times more.
    const QImage argb = imatge.format() == QImage::Format_ARGB32 || imatge.format() == QImage::Format_RGB32
                            ? imatge
                            : imatge.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width(), h = argb.height();
    QByteArray gris(qsizetype(w) * h, Qt::Uninitialized);
    for (int y = 0; y < h; ++y) {
        const QRgb* fila = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        char* desti = gris.data() + qsizetype(y) * w;
        for (int x = 0; x < w; ++x) {
            const QRgb p = fila[x];
            if ((argb.format() == QImage::Format_ARGB32 && qAlpha(p) != 255) || qRed(p) != qGreen(p) || qGreen(p) != qBlue(p))
                return {};
            desti[x] = char(qRed(p));
        }
    }
    return PngGris(gris, w, h);
}

} // namespace CodiImatge
