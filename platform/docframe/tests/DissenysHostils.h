#pragma once
// Design documents made in code for the tests and benchmarks of the frame: EMF pictures
// built record by record (a 100 x 100 unit picture of 2000 pixels, its fonts, letters and
// polygons as the program's own records lay them out), and a design holding any one picture.
#include "platform/imatges/tests/ImatgesHostils.h"
#include "platform/word/Document.h"
#include "platform/word/RegistresEmf.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QPoint>
#include <QtEndian>

#include <zip.h>

#include <cstdint>
#include <vector>

namespace kovel::docframe::proves {

using namespace kovel::word::emf;

class Emf {
public:
    Emf()
    {
        registre(EMR_HEADER, {0, 0, 99, 99, 0, 0, 2000, 2000, 0x464D4520, 0x10000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    void registre(std::uint32_t tipus, const std::vector<std::uint32_t>& camps, const QByteArray& cua = {})
    {
        QByteArray r(8, '\0');
        for (std::uint32_t c : camps)
            afegeix(r, c);
        r += cua;
        while (r.size() % 4)
            r += '\0';
        qToLittleEndian<quint32>(tipus, r.data());
        qToLittleEndian<quint32>(quint32(r.size()), r.data() + 4);
        b_ += r;
    }
    // A font of `alcada` logical units as object `h`, selected.
    void font(std::uint32_t h, std::int32_t alcada)
    {
        std::vector<std::uint32_t> lf(1 + 23, 0);
        lf[0] = h;
        lf[1] = std::uint32_t(alcada);
        registre(EMR_EXTCREATEFONTINDIRECTW, lf);
        registre(EMR_SELECTOBJECT, {h});
    }
    void text(int n)
    {
        std::vector<std::uint32_t> c(17, 0);
        c[7] = 10;                           // reference point
        c[8] = 90;
        c[9] = std::uint32_t(n);
        c[10] = 76;                          // the letters, after these fields
        c[16] = std::uint32_t(76 + 2 * n + (n % 2) * 2); // the advances after them
        QByteArray cua;
        for (int i = 0; i < n; ++i)
            cua += QByteArray("W\0", 2);
        if (n % 2)
            cua += QByteArray(2, '\0');
        for (int i = 0; i < n; ++i)
            afegeix(cua, 1);
        registre(EMR_EXTTEXTOUTW, c, cua);
    }
    // One filled polygon through `punts` (x, y in the picture's 100 x 100 logical units).
    void poligon(const std::vector<QPoint>& punts)
    {
        QByteArray cua;
        for (const QPoint& q : punts) {
            char c[4];
            qToLittleEndian<qint16>(qint16(q.x()), c);
            qToLittleEndian<qint16>(qint16(q.y()), c + 2);
            cua.append(c, 4);
        }
        registre(EMR_POLYPOLYGON16, {0, 0, 99, 99, 1, std::uint32_t(punts.size()), std::uint32_t(punts.size())}, cua);
    }
    QByteArray bytes()
    {
        QByteArray b = b_;
        QByteArray eof(20, '\0');
        qToLittleEndian<quint32>(EMR_EOF, eof.data());
        qToLittleEndian<quint32>(20, eof.data() + 4);
        b += eof;
        qToLittleEndian<quint32>(quint32(b.size()), b.data() + 48);
        return b;
    }

private:
    static void afegeix(QByteArray& b, std::uint32_t v)
    {
        char c[4];
        qToLittleEndian<quint32>(v, c);
        b.append(c, 4);
    }
    QByteArray b_;
};

// A polygon of `n` points zigzagging between the picture's top and bottom (edges that span
// it), or within a square of one unit at its corner.
inline QByteArray EmfZigazaga(int n, bool alt)
{
    std::vector<QPoint> punts;
    punts.reserve(std::size_t(n));
    for (int i = 0; i < n; ++i)
        punts.emplace_back(alt ? i % 100 : (i / 2) % 2, i % 2 ? (alt ? 99 : 1) : 0);
    Emf e;
    e.poligon(punts);
    return e.bytes();
}

// `n` upright bars across the picture, as one polygon (a code's bars).
inline QByteArray EmfBarres(int n)
{
    std::vector<QPoint> punts;
    for (int i = 0; i < n; ++i)
        punts.insert(punts.end(), {{4 * i, 0}, {4 * i, 99}, {4 * i + 2, 99}, {4 * i + 2, 0}});
    Emf e;
    e.registre(EMR_SETWINDOWEXTEX, {std::uint32_t(4 * n), 100});
    e.poligon(punts);
    return e.bytes();
}

// The .docx of a design holding one picture of `pixels` shown `punts` a side: PNG or EMF as
// the model takes them, any other format put in the package as it is.
inline QByteArray DocxAmbImatge(const QByteArray& bytes, QSize pixels, double punts = 300)
{
    const bool propi = word::InlinePicture::isEmf(bytes) || bytes.startsWith("\x89PNG");
    QImage u(1, 1, QImage::Format_RGB32);
    u.fill(Qt::white);
    word::InlinePicture pic = word::InlinePicture::fromEncoded(propi ? bytes : imatges::proves::Codifica(u, "png"),
                                                               propi ? pixels : QSize(1, 1));
    pic.setWidth(word::Points(punts));
    pic.setHeight(word::Points(punts));
    pic.setAlternativeText(QStringLiteral("TOLV_campPicture"));
    auto d = word::Document::create();
    word::Paragraph p;
    p.items.emplace_back(pic);
    d->body().blocks = {word::Block{p}};
    QByteArray docx = d->toBytes();
    if (propi)
        return docx;
    // The picture's part replaced by the bytes, under the same name.
    QTemporaryDir dir;
    const QString cami = dir.filePath(QStringLiteral("d.docx"));
    QFile f(cami);
    if (!f.open(QIODevice::WriteOnly) || f.write(docx) != docx.size())
        return {};
    f.close();
    QByteArray fora;
    if (zip_t* za = zip_open(QFile::encodeName(cami).constData(), 0, nullptr)) {
        const zip_int64_t i = zip_name_locate(za, "word/media/image1.png", 0);
        zip_source_t* s = zip_source_buffer(za, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (i < 0 || zip_file_replace(za, zip_uint64_t(i), s, 0) != 0) {
            zip_source_free(s);
            zip_discard(za);
            return {};
        }
        if (zip_close(za) == 0 && f.open(QIODevice::ReadOnly))
            fora = f.readAll();
    }
    return fora;
}

} // namespace kovel::docframe::proves
