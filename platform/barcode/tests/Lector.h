#pragma once
// Reads a picture back with an independent reader (zxing-cpp), as a scanner would.
#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QString>

namespace kovel::proves {

struct Lectura {
    bool ok = false;
    QString text;
    QString format;
};

// `code39Complet`: read Code 39 as full ASCII (its $ / + % pairs as one character).
inline Lectura Llegir(const QImage& picture, bool addOn = false, bool code39Complet = false)
{
    // Transparent pictures are read as printed on white paper.
    QImage img(picture.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QImage src = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < src.height(); ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            QRgb* d = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < src.width(); ++x) {
                const int a = qAlpha(s[x]);
                auto mix = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
                d[x] = qRgb(mix(qRed(s[x])), mix(qGreen(s[x])), mix(qBlue(s[x])));
            }
        }
    }
    QImage grey = img.convertToFormat(QImage::Format_Grayscale8);
    ZXing::DecodeHints hints;
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setTryCode39ExtendedMode(code39Complet);
    hints.setEanAddOnSymbol(addOn ? ZXing::EanAddOnSymbol::Require : ZXing::EanAddOnSymbol::Ignore);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(grey.bytesPerLine()));
    const ZXing::Result r = ZXing::ReadBarcode(view, hints);
    Lectura out;
    out.ok = r.isValid();
    out.text = QString::fromStdString(r.text());
    out.format = QString::fromStdString(ZXing::ToString(r.format()));
    return out;
}

} // namespace kovel::proves
