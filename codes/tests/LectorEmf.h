#pragma once
// Test helper: the program's EMF code pictures drawn back into pixels (white paper), at the
// size of their bounds, so that an independent reader can scan them. Only the records the
// program writes are understood; text is drawn in the font the system gives its name.
#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <cstring>

namespace kovel::proves {

inline QImage DibuixaEmf(const QByteArray& emf, double factor = 1.0)
{
    auto u32 = [&emf](qsizetype at) { return qFromLittleEndian<quint32>(emf.constData() + at); };
    auto i32 = [&emf](qsizetype at) { return qFromLittleEndian<qint32>(emf.constData() + at); };
    auto i16 = [&emf](qsizetype at) { return qFromLittleEndian<qint16>(emf.constData() + at); };
    if (emf.size() < 88 || u32(0) != 1) return {};
    const int W = i32(16) - i32(8) + 1, H = i32(20) - i32(12) + 1;
    QImage img(int(W * factor), int(H * factor), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    double escalaX = 1, escalaY = 1;
    QHash<quint32, QColor> pinzells;
    QHash<quint32, QFont> fonts;   // at heights in logical units
    QColor actual = Qt::black, colorText = Qt::black;
    QFont font;
    for (qsizetype at = u32(4); at + 8 <= emf.size();) {
        const quint32 tipus = u32(at), mida = u32(at + 4);
        if (mida < 8 || at + mida > emf.size()) break;
        if (tipus == 9) {   // window extent
            escalaX = double(W) / i32(at + 8);
            escalaY = double(H) / i32(at + 12);
        } else if (tipus == 39) {
            const quint32 ref = u32(at + 16);
            pinzells[u32(at + 8)] = QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
        } else if (tipus == 37 && !(u32(at + 8) & 0x80000000u)) {
            if (fonts.contains(u32(at + 8))) font = fonts.value(u32(at + 8));
            else actual = pinzells.value(u32(at + 8), Qt::black);
        } else if (tipus == 82 && mida >= 104) {   // a font: LOGFONTW, the face's name from byte 40
            QString nom;
            for (qsizetype c = at + 40; c < at + 104 && i16(c) != 0; c += 2) nom += QChar(char16_t(i16(c)));
            QFont f(nom);
            f.setPixelSize(std::max(1, std::abs(i32(at + 12))));
            f.setBold(i32(at + 28) >= 600);
            f.setItalic(emf[at + 32] != 0);
            fonts[u32(at + 8)] = f;
        } else if (tipus == 24) {
            const quint32 ref = u32(at + 8);
            colorText = QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
        } else if (tipus == 84 && mida >= 76) {   // text on its baseline, each character at its advance
            const quint32 n = u32(at + 44), text = u32(at + 48), dx = u32(at + 72);
            if (n < 256 && text + 2 * n <= mida && dx + 4 * n <= mida) {
                p.save();
                p.scale(escalaX * factor, escalaY * factor);
                p.setFont(font);
                p.setPen(colorText);
                double x = i32(at + 36);
                for (quint32 k = 0; k < n; ++k) {
                    p.drawText(QPointF(x, i32(at + 40)), QString(QChar(char16_t(i16(at + text + 2 * k)))));
                    x += i32(at + dx + 4 * k);
                }
                p.restore();
            }
        } else if (tipus == 91) {
            const quint32 polys = u32(at + 24);
            qsizetype punt = at + 32 + 4 * qsizetype(polys);
            QPainterPath cami;
            cami.setFillRule(Qt::WindingFill);
            for (quint32 k = 0; k < polys; ++k) {
                QPolygonF pol;
                for (quint32 n = 0; n < u32(at + 32 + 4 * k); ++n, punt += 4)
                    pol << QPointF(i16(punt) * escalaX * factor, i16(punt + 2) * escalaY * factor);
                cami.addPolygon(pol);
                cami.closeSubpath();
            }
            p.fillPath(cami, actual);
        } else if (tipus == 81) {   // a two-colour bitmap stretched over its place
            const qsizetype bmi = at + u32(at + 48), bits = at + u32(at + 56);
            const int bw = i32(bmi + 4), bh = i32(bmi + 8);
            if (bw > 0 && bh > 0 && bw < 10000 && bh < 10000) {
                QImage b(bw, bh, QImage::Format_Mono);
                auto quad = [&](qsizetype q) { return qRgb(uchar(emf[q + 2]), uchar(emf[q + 1]), uchar(emf[q])); };
                b.setColorTable({quad(bmi + 40), quad(bmi + 44)});
                const int fila = (bw + 31) / 32 * 4;
                for (int y = 0; y < bh; ++y)
                    std::memcpy(b.scanLine(bh - 1 - y), emf.constData() + bits + qsizetype(y) * fila, size_t(b.bytesPerLine()));
                const QRectF desti(i32(at + 24) * escalaX * factor, i32(at + 28) * escalaY * factor,
                                   i32(at + 72) * escalaX * factor, i32(at + 76) * escalaY * factor);
                p.setRenderHint(QPainter::SmoothPixmapTransform, false);
                p.drawImage(desti, b);
            }
        } else if (tipus == 14) {
            break;
        }
        at += mida;
    }
    return img;
}

} // namespace kovel::proves

namespace kovel::proves {

// A code picture's bytes as pixels: an EMF drawn back, a PNG decoded.
inline QImage ImatgeDe(const QByteArray& bytes)
{
    if (bytes.size() >= 88 && bytes.mid(40, 4) == " EMF") return DibuixaEmf(bytes);
    QImage img;
    img.loadFromData(bytes);
    return img;
}

} // namespace kovel::proves
