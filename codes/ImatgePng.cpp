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

// Deflate's bit stream with the fixed codes (RFC 1951, 3.2.6).
struct Bits {
    QByteArray& out;
    std::uint32_t acc = 0;
    int n = 0;
    void posa(std::uint32_t v, int bits)   // least significant bit first
    {
        acc |= v << n;
        n += bits;
        while (n >= 8) {
            out.append(char(acc & 0xFF));
            acc >>= 8;
            n -= 8;
        }
    }
    void codi(std::uint32_t codi, int bits)   // Huffman codes go most significant bit first
    {
        std::uint32_t r = 0;
        for (int i = 0; i < bits; ++i)
            r |= ((codi >> i) & 1u) << (bits - 1 - i);
        posa(r, bits);
    }
    void simbol(int s)
    {
        if (s < 144)
            codi(std::uint32_t(0x30 + s), 8);
        else if (s < 256)
            codi(std::uint32_t(0x190 + s - 144), 9);
        else if (s < 280)
            codi(std::uint32_t(s - 256), 7);
        else
            codi(std::uint32_t(0xC0 + s - 280), 8);
    }
    void literal(std::uint8_t v) { simbol(v); }
    // A copy of `llarg` bytes (3 or more) from `distancia` back.
    void copia(int llarg, int distancia)
    {
        static constexpr int baseL[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31, 35, 43, 51, 59,
                                        67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr int extraL[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static constexpr int baseD[] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193, 257, 385, 513,
                                        769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static constexpr int extraD[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        int d = 29;
        while (baseD[d] > distancia)
            --d;
        while (llarg > 0) {
            // Pieces of at most 258, none left shorter than 3.
            int tros = std::min(llarg, 258);
            if (llarg - tros > 0 && llarg - tros < 3)
                tros = llarg - 3;
            int l = 28;
            while (baseL[l] > tros)
                --l;
            simbol(257 + l);
            if (extraL[l])
                posa(std::uint32_t(tros - baseL[l]), extraL[l]);
            codi(std::uint32_t(d), 5);
            if (extraD[d])
                posa(std::uint32_t(distancia - baseD[d]), extraD[d]);
            llarg -= tros;
        }
    }
    void buida()
    {
        if (n > 0)
            out.append(char(acc & 0xFF));
        acc = 0;
        n = 0;
    }
};

// The picture with every row in place.
QImage Desplega(const QImage& linies, const std::vector<int>& fila)
{
    QImage out(linies.width(), int(fila.size()), linies.format());
    const size_t bytes = size_t(linies.bytesPerLine());
    for (int y = 0; y < out.height(); ++y)
        std::memcpy(out.scanLine(y), linies.constScanLine(fila[size_t(y)]), std::min(bytes, size_t(out.bytesPerLine())));
    return out;
}

} // namespace

QByteArray PngCompacte(const QImage& image)
{
    if (image.isNull())
        return {};
    // Rows equal to the one above point at it.
    const QImage img = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_ARGB32);
    std::vector<int> fila(size_t(img.height()));
    const size_t bytes = size_t(img.width()) * sizeof(QRgb);
    for (int y = 0; y < img.height(); ++y)
        fila[size_t(y)] = y > 0 && std::memcmp(img.constScanLine(y), img.constScanLine(y - 1), bytes) == 0 ? fila[size_t(y - 1)] : y;
    return PngCompacte(img, fila);
}

QByteArray PngCompacte(const QImage& linies, const std::vector<int>& fila)
{
    if (linies.isNull() || fila.empty())
        return {};
    for (int f : fila)
        if (f < 0 || f >= linies.height())
            return {};
    const QImage img = linies.format() == QImage::Format_ARGB32 || linies.format() == QImage::Format_RGB32
                           ? linies
                           : linies.convertToFormat(QImage::Format_ARGB32);
    const bool alfa = img.hasAlphaChannel();
    const int W = img.width(), L = img.height(), H = int(fila.size());
    if (H > 65535)
        return {};
    // Palette: the colours in order of appearance; a transparent pixel is one entry.
    // Runs of one colour in every row used, and the palette: the colours in order of
    // appearance, a transparent pixel one entry. The working buffers stay from one picture
    // to the next: a generation encodes thousands.
    struct Tram {
        int fila, x0, x1;
        std::uint8_t index;
    };
    thread_local std::vector<Tram> trams;
    thread_local std::vector<std::uint8_t> crues;
    thread_local std::vector<char> usada;
    thread_local std::vector<size_t> primerTram;
    trams.clear();
    usada.assign(size_t(L), 0);
    primerTram.assign(size_t(L) + 1, 0);
    for (int f : fila)
        usada[size_t(f)] = 1;
    std::vector<QRgb> paleta;
    for (int y = 0; y < L; ++y) {
        primerTram[size_t(y)] = trams.size();
        if (!usada[size_t(y)])
            continue;
        const QRgb* linia = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        const QRgb opac = alfa ? 0u : 0xFF000000u;
        int x = 0;
        while (x < W) {
            const QRgb c = linia[x] | opac;
            const int x0 = x;
            while (x + 4 <= W && (linia[x] | opac) == c && (linia[x + 1] | opac) == c && (linia[x + 2] | opac) == c
                   && (linia[x + 3] | opac) == c)
                x += 4;
            while (x < W && (linia[x] | opac) == c)
                ++x;
            const int a = qAlpha(c);
            if (a != 0 && a != 255)
                return PngQt(Desplega(img, fila));   // partly transparent: no palette keeps it
            const QRgb clau = a == 0 ? 0u : c;
            auto it = std::find(paleta.begin(), paleta.end(), clau);
            if (it == paleta.end()) {
                if (paleta.size() == 256)
                    return PngQt(Desplega(img, fila));
                paleta.push_back(clau);
                it = paleta.end() - 1;
            }
            trams.push_back({y, x0, x, std::uint8_t(it - paleta.begin())});
        }
    }
    primerTram[size_t(L)] = trams.size();
    const int bits = paleta.size() <= 2 ? 1 : paleta.size() <= 4 ? 2 : paleta.size() <= 16 ? 4 : 8;

    // Scan lines (filter byte 0 and the packed indices) of the rows used, each packed once.
    const size_t bytesLinia = (size_t(W) * size_t(bits) + 7) / 8;
    const size_t llarg = bytesLinia + 1;
    if (llarg > 32768)
        return PngQt(Desplega(img, fila));   // a row further back than deflate reaches
    crues.assign(llarg * size_t(L), 0);
    for (int f = 0; f < L; ++f) {
        if (!usada[size_t(f)])
            continue;
        std::uint8_t* dades = crues.data() + size_t(f) * llarg + 1;
        for (size_t t = primerTram[size_t(f)]; t < primerTram[size_t(f) + 1]; ++t) {
            const Tram& tr = trams[t];
            if (tr.index == 0)
                continue;   // index 0 is all zero bits
            if (bits == 1) {
                int x = tr.x0;
                for (; x < tr.x1 && (x & 7); ++x)
                    dades[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
                for (; x + 8 <= tr.x1; x += 8)
                    dades[x >> 3] = 0xFF;
                for (; x < tr.x1; ++x)
                    dades[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
            } else {
                for (int x = tr.x0; x < tr.x1; ++x) {
                    const size_t bit = size_t(x) * size_t(bits);
                    dades[bit / 8] |= std::uint8_t(tr.index << (8 - bits - int(bit % 8)));
                }
            }
        }
    }

    // The picture's data as one deflate block of fixed codes: a row equal to the one above
    // is a copy of it, a run of equal bytes a copy of the byte before. The work is that of
    // the different rows, not of the picture's height.
    QByteArray idat("\x78\x01", 2);
    idat.reserve(qsizetype(llarg) * 2 + 64);
    Bits b{idat};
    b.posa(1, 1);   // last block
    b.posa(1, 2);   // fixed codes
    // The checksum of the data: that of each different row, combined.
    thread_local std::vector<uLong> adlerFila;
    adlerFila.assign(size_t(L), 0);
    for (int f = 0; f < L; ++f)
        if (usada[size_t(f)])
            adlerFila[size_t(f)] = adler32(adler32(0L, Z_NULL, 0), crues.data() + size_t(f) * llarg, uInt(llarg));
    uLong adler = adler32(0L, Z_NULL, 0);
    for (int y = 0; y < H; ++y) {
        const std::uint8_t* linia = crues.data() + size_t(fila[size_t(y)]) * llarg;
        adler = adler32_combine(adler, adlerFila[size_t(fila[size_t(y)])], z_off_t(llarg));
        if (y > 0 && fila[size_t(y)] == fila[size_t(y - 1)] && llarg >= 3) {
            b.copia(int(llarg), int(llarg));
            continue;
        }
        for (size_t i = 0; i < llarg;) {
            size_t j = i + 1;
            while (j < llarg && linia[j] == linia[i])
                ++j;
            b.literal(linia[i]);
            if (j - i >= 4) {
                b.copia(int(j - i - 1), 1);
            } else {
                for (size_t k = i + 1; k < j; ++k)
                    b.literal(linia[k]);
            }
            i = j;
        }
    }
    b.codi(0, 7);   // end of block (256)
    b.buida();
    Afegeix32(idat, std::uint32_t(adler));

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
