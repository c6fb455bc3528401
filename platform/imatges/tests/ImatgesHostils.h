#pragma once
// Hostile pictures made in code, for the tests and benchmarks of every reader of pictures:
// a PNG whose compressed comments inflate to gigabytes, a progressive JPEG of thousands of
// scans. Each is a few kilobytes to a megabyte, and every byte is as its format lays out.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

namespace kovel::imatges::proves {

inline quint32 Crc(const QByteArray& b)
{
    quint32 c = 0xFFFFFFFFu;
    for (char ch : b) {
        c ^= uchar(ch);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// One PNG chunk: length, name, data, checksum.
inline QByteArray Tros(const QByteArray& tipus, const QByteArray& dades)
{
    QByteArray t(4, '\0');
    qToBigEndian<quint32>(quint32(dades.size()), t.data());
    t += tipus + dades;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc(tipus + dades), crc.data());
    return t + crc;
}

inline QByteArray Codifica(const QImage& img, const char* format, bool progressiu = false)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    QImageWriter w(&b, format);
    w.setProgressiveScanWrite(progressiu);
    w.write(img);
    return b.data();
}

// `png` with `extra` put just after its header chunk, before any pixel data.
inline QByteArray AmbTrossos(const QByteArray& png, const QByteArray& extra)
{
    const qsizetype despres = 8 + 12 + 13;
    return png.left(despres) + extra + png.mid(despres);
}

// `img` as a PNG carrying `comentaris` compressed comments of `inflats` bytes each.
inline QByteArray PngAmbComentaris(const QImage& img, int comentaris, qsizetype inflats)
{
    const QByteArray comentari = Tros("zTXt", QByteArray("Comment\0\0", 9) + qCompress(QByteArray(inflats, '\0')).mid(4));
    QByteArray trossos;
    for (int i = 0; i < comentaris; ++i)
        trossos += comentari;
    return AmbTrossos(Codifica(img, "png"), trossos);
}

// A progressive JPEG of `img` whose last scan is repeated until it has `escanejos` scans.
inline QByteArray JpegAmbEscanejos(const QImage& img, int escanejos)
{
    const QByteArray jpeg = Codifica(img, "jpeg", true);
    const qsizetype sos = jpeg.lastIndexOf("\xFF\xDA");
    const qsizetype eoi = jpeg.lastIndexOf("\xFF\xD9");
    if (sos < 0 || eoi < sos)
        return {};
    const QByteArray darrer = jpeg.mid(sos, eoi - sos);
    QByteArray b = jpeg.left(eoi);
    for (qsizetype at = b.indexOf("\xFF\xDA"); at >= 0; at = b.indexOf("\xFF\xDA", at + 2))
        --escanejos;
    for (int i = 0; i < escanejos; ++i)
        b += darrer;
    return b + "\xFF\xD9";
}

} // namespace kovel::imatges::proves
