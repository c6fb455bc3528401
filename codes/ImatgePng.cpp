#include "codes/ImatgePng.h"

#include <QBuffer>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kovel::codes {

namespace {

void Afegeix32(QByteArray& out, std::uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void Tros(QByteArray& out, const char* tipus, const QByteArray& dades)
{
    Afegeix32(out, std::uint32_t(dades.size()));
    const qsizetype inici = out.size();
    out.append(tipus, 4);
    out.append(dades);
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(out.constData() + inici), uInt(out.size() - inici));
    Afegeix32(out, std::uint32_t(crc));
}

QByteArray PngQt(const QImage& image)
{
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    if (!image.save(&buf, "PNG"))
        return {};
    return png;
}

} // namespace

QByteArray PngCompacte(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage img = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_ARGB32);
    const bool alfa = img.hasAlphaChannel();
    const int W = img.width(), H = img.height();

    // Palette: the colours in order of appearance; a transparent pixel is one entry. A
    // source row equal to the one above is not looked at again (the bars of a barcode).
    std::vector<QRgb> paleta;
    auto igualAnterior = [&](int y) {
        return y > 0 && std::memcmp(img.constScanLine(y), img.constScanLine(y - 1), size_t(W) * sizeof(QRgb)) == 0;
    };
    std::vector<std::uint8_t> index(size_t(W) * size_t(H));
    for (int y = 0; y < H; ++y) {
        if (igualAnterior(y))
            continue;
        const QRgb* linia = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint8_t* fila = index.data() + size_t(y) * size_t(W);
        QRgb darrer = 0;
        std::uint8_t darrerIndex = 0;
        bool hiHaDarrer = false;
        for (int x = 0; x < W; ++x) {
            QRgb c = alfa ? linia[x] : (linia[x] | 0xFF000000u);
            if (!hiHaDarrer || c != darrer) {
                darrer = c;
                hiHaDarrer = true;
                const int a = qAlpha(c);
                if (a != 0 && a != 255)
                    return PngQt(image);   // partly transparent: no palette keeps it
                const QRgb clau = a == 0 ? 0u : c;
                auto it = std::find(paleta.begin(), paleta.end(), clau);
                if (it == paleta.end()) {
                    if (paleta.size() == 256)
                        return PngQt(image);
                    paleta.push_back(clau);
                    it = paleta.end() - 1;
                }
                darrerIndex = std::uint8_t(it - paleta.begin());
            }
            fila[x] = darrerIndex;
        }
    }
    const int bits = paleta.size() <= 2 ? 1 : paleta.size() <= 4 ? 2 : paleta.size() <= 16 ? 4 : 8;

    // Scan lines: filter byte and packed indices; a line equal to the one above is written
    // with the "Up" filter, all zeros.
    const size_t bytesLinia = (size_t(W) * size_t(bits) + 7) / 8;
    std::vector<std::uint8_t> crues((bytesLinia + 1) * size_t(H), 0);
    for (int y = 0; y < H; ++y) {
        std::uint8_t* desti = crues.data() + size_t(y) * (bytesLinia + 1);
        if (igualAnterior(y)) {
            desti[0] = 2;   // Up: every byte as above
            continue;
        }
        const std::uint8_t* fila = index.data() + size_t(y) * size_t(W);
        for (int x = 0; x < W; ++x) {
            const size_t bit = size_t(x) * size_t(bits);
            desti[1 + bit / 8] |= std::uint8_t(fila[x] << (8 - bits - int(bit % 8)));
        }
    }
    uLongf mida = compressBound(uLong(crues.size()));
    QByteArray idat(qsizetype(mida), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(idat.data()), &mida, crues.data(), uLong(crues.size()), 6) != Z_OK)
        return PngQt(image);
    idat.resize(qsizetype(mida));

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    Afegeix32(ihdr, std::uint32_t(W));
    Afegeix32(ihdr, std::uint32_t(H));
    ihdr.append(char(bits));
    ihdr.append(char(3));   // palette colour
    ihdr.append(3, '\0');   // deflate, adaptive filters, no interlace
    Tros(out, "IHDR", ihdr);
    QByteArray plte, trns;
    for (QRgb c : paleta) {
        plte.append(char(qRed(c)));
        plte.append(char(qGreen(c)));
        plte.append(char(qBlue(c)));
    }
    Tros(out, "PLTE", plte);
    // Transparency, up to the last transparent entry.
    int darrerTransparent = -1;
    for (int i = 0; i < int(paleta.size()); ++i)
        if (qAlpha(paleta[size_t(i)]) == 0)
            darrerTransparent = i;
    for (int i = 0; i <= darrerTransparent; ++i)
        trns.append(char(qAlpha(paleta[size_t(i)])));
    if (!trns.isEmpty())
        Tros(out, "tRNS", trns);
    Tros(out, "IDAT", idat);
    Tros(out, "IEND", {});
    return out;
}

} // namespace kovel::codes
