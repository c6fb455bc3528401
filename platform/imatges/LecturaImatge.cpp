#include "platform/imatges/LecturaImatge.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QThreadPool>
#include <QtEndian>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace kovel::imatges {

namespace {

const QByteArray SignaturaPng("\x89PNG\r\n\x1a\n", 8);

// The workers AmbTempsLimit started that have not ended.
struct Treballadors {
    std::mutex mutex;
    std::condition_variable acabat;
    int actius = 0;
};
Treballadors& Actius()
{
    static Treballadors* t = new Treballadors; // never destroyed: workers may end after exit begins
    return *t;
}

quint32 U32(const QByteArray& b, qsizetype at) { return qFromBigEndian<quint32>(b.constData() + at); }
quint16 U16(const QByteArray& b, qsizetype at) { return qFromBigEndian<quint16>(b.constData() + at); }
uchar U8(const QByteArray& b, qsizetype at) { return uchar(b[at]); }

bool Mida(Examen& e, qint64 w, qint64 h, const Pressupost& p)
{
    if (w < 1 || h < 1) {
        e.motiu = QStringLiteral("the picture has no size");
        return false;
    }
    e.mida = QSize(int(std::min<qint64>(w, 1 << 30)), int(std::min<qint64>(h, 1 << 30)));
    if (w > p.costatMaxim || h > p.costatMaxim || w * h > p.pixels) {
        e.superat = true;
        e.motiu = QStringLiteral("the picture is %1 x %2 pixels, larger than %3 a side or %4 million pixels")
                      .arg(w)
                      .arg(h)
                      .arg(p.costatMaxim)
                      .arg(double(p.pixels) / 1e6, 0, 'g', 3);
        return false;
    }
    return true;
}

// Step 2 and 4: the chunks walked, the ones kept copied in their order.
void ExaminaPng(const QByteArray& d, const Pressupost& p, Examen& e)
{
    QByteArray kept = SignaturaPng;
    qint64 auxiliars = 0;
    bool capcalera = false, fi = false;
    for (qsizetype at = 8; at < d.size() && !fi;) {
        if (d.size() - at < 12) {
            e.motiu = QStringLiteral("a PNG chunk is cut short");
            return;
        }
        const quint32 llarg = U32(d, at);
        if (llarg > 0x7FFFFFFFu || qint64(llarg) > d.size() - at - 12) {
            e.motiu = QStringLiteral("a PNG chunk reaches past the end of the file");
            return;
        }
        const QByteArray tipus = d.mid(at + 4, 4);
        for (char c : tipus)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                e.motiu = QStringLiteral("a PNG chunk has no valid name");
                return;
            }
        const qsizetype tot = 12 + qsizetype(llarg);
        if (!capcalera) {
            if (tipus != "IHDR" || llarg < 13) {
                e.motiu = QStringLiteral("the PNG does not begin with its header");
                return;
            }
            capcalera = true;
            if (!Mida(e, U32(d, at + 8), U32(d, at + 12), p))
                return;
        }
        const bool critic = tipus[0] >= 'A' && tipus[0] <= 'Z';
        const bool text = tipus == "tEXt" || tipus == "zTXt" || tipus == "iTXt";
        if (critic) {
            kept += d.mid(at, tot);
        } else if (!text && auxiliars + tot <= p.auxiliars) {
            auxiliars += tot;
            kept += d.mid(at, tot);
        }
        fi = tipus == "IEND";
        at += tot;
    }
    if (!capcalera) {
        e.motiu = QStringLiteral("the PNG has no header");
        return;
    }
    e.bytes = kept;
}

// Steps 2 and 5: markers walked to the end of the last scan, the blocks of each scan counted.
void ExaminaJpeg(const QByteArray& d, const Pressupost& p, Examen& e)
{
    struct Component {
        int id = 0;
        qint64 blocs = 0;
    };
    std::vector<Component> components;
    bool marc = false;
    qsizetype at = 2;
    while (at < d.size()) {
        if (U8(d, at) != 0xFF) {
            // Entropy-coded data between a scan's header and the next marker.
            ++at;
            continue;
        }
        while (at < d.size() && U8(d, at) == 0xFF)
            ++at;
        if (at >= d.size())
            break;
        const uchar m = U8(d, at++);
        if (m == 0x00 || (m >= 0xD0 && m <= 0xD7) || m == 0x01 || m == 0xD8)
            continue; // stuffed byte, restart marker, standalone markers
        if (m == 0xD9)
            break;
        if (d.size() - at < 2 || U16(d, at) < 2 || U16(d, at) > d.size() - at) {
            e.motiu = QStringLiteral("a JPEG segment reaches past the end of the file");
            return;
        }
        const qsizetype llarg = U16(d, at);
        const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (sof && !marc) {
            if (llarg < 8) {
                e.motiu = QStringLiteral("the JPEG frame header is cut short");
                return;
            }
            const int h = U16(d, at + 3), w = U16(d, at + 5), n = U8(d, at + 7);
            if (!Mida(e, w, h, p))
                return;
            if (n < 1 || llarg < 8 + 3 * n) {
                e.motiu = QStringLiteral("the JPEG frame header is cut short");
                return;
            }
            int hmax = 1, vmax = 1;
            for (int i = 0; i < n; ++i) {
                hmax = std::max(hmax, U8(d, at + 9 + 3 * i) >> 4);
                vmax = std::max(vmax, U8(d, at + 9 + 3 * i) & 15);
            }
            for (int i = 0; i < n; ++i) {
                const int hs = std::max(1, U8(d, at + 9 + 3 * i) >> 4), vs = std::max(1, U8(d, at + 9 + 3 * i) & 15);
                const qint64 cw = (qint64(w) * hs + hmax - 1) / hmax, ch = (qint64(h) * vs + vmax - 1) / vmax;
                components.push_back({U8(d, at + 8 + 3 * i), ((cw + 7) / 8) * ((ch + 7) / 8)});
            }
            marc = true;
        } else if (m == 0xDA) {
            if (!marc) {
                e.motiu = QStringLiteral("a JPEG scan comes before the frame header");
                return;
            }
            const int n = llarg >= 3 ? U8(d, at + 2) : 0;
            if (n < 1 || llarg < 6 + 2 * n) {
                e.motiu = QStringLiteral("a JPEG scan header is cut short");
                return;
            }
            qint64 blocs = 0;
            for (int i = 0; i < n; ++i)
                for (const Component& c : components)
                    if (c.id == U8(d, at + 3 + 2 * i))
                        blocs += c.blocs;
            ++e.escanejos;
            e.blocs += std::max<qint64>(blocs, 1);
            if (e.escanejos > p.escanejos || e.blocs > p.blocs) {
                e.superat = true;
                e.motiu = e.escanejos > p.escanejos
                    ? QStringLiteral("the JPEG has more than %1 scans").arg(p.escanejos)
                    : QStringLiteral("the JPEG's %1 scans ask for more decoding than a picture is allowed").arg(e.escanejos);
                return;
            }
        }
        at += llarg;
    }
    if (!marc) {
        e.motiu = QStringLiteral("the JPEG has no frame header");
        return;
    }
    e.bytes = d;
}

} // namespace

Examen Examina(const QByteArray& dades, const Pressupost& p)
{
    Examen e;
    if (dades.startsWith(SignaturaPng)) {
        e.format = "png";
        ExaminaPng(dades, p, e);
    } else if (dades.startsWith("\xFF\xD8\xFF")) {
        e.format = "jpeg";
        ExaminaJpeg(dades, p, e);
    } else if (dades.startsWith("GIF87a") || dades.startsWith("GIF89a") || dades.startsWith("BM")) {
        // Their decoders' work is their pixels and their bytes; the header says the size.
        e.format = dades.startsWith("BM") ? "bmp" : "gif";
        QBuffer b;
        b.setData(dades);
        b.open(QIODevice::ReadOnly);
        QImageReader lector(&b, e.format);
        const QSize mida = lector.size();
        if (!mida.isValid())
            e.motiu = QStringLiteral("the picture has no size");
        else if (Mida(e, mida.width(), mida.height(), p))
            e.bytes = dades;
    } else {
        e.motiu = QStringLiteral("not a picture this program reads");
    }
    return e;
}

QImage Decodifica(const Examen& e, QString* motiu)
{
    if (!e.admesa()) {
        if (motiu)
            *motiu = e.motiu;
        return {};
    }
    QBuffer b;
    b.setData(e.bytes);
    b.open(QIODevice::ReadOnly);
    QImageReader lector(&b, e.format);
    QImage img = lector.read();
    // Its own header is what was counted: a decoder that found another size gives nothing.
    if (img.size() != e.mida && img.size() != e.mida.transposed())
        img = {};
    if (img.isNull() && motiu)
        *motiu = QStringLiteral("the picture cannot be decoded");
    return img;
}

QImage Llegeix(const QByteArray& dades, const Pressupost& p, QString* motiu)
{
    return Decodifica(Examina(dades, p), motiu);
}

Espera AmbTempsLimit(std::function<QImage()> feina, int ms, Tard tard)
{
    static const bool esperaAlFinal = [] {
        if (QCoreApplication::instance())
            qAddPostRoutine([] { EsperaTreballadors(10000); });
        return true;
    }();
    (void)esperaAlFinal;
    {
        std::lock_guard<std::mutex> l(Actius().mutex);
        if (Actius().actius >= TreballadorsMaxims)
            return {};
        ++Actius().actius;
    }
    // Who takes the picture is settled under one lock: the waiter while it waits, `tard` after.
    struct Lliurament {
        std::mutex mutex;
        std::condition_variable fet;
        std::optional<QImage> imatge;
        bool esperant = true;
    };
    auto lliura = std::make_shared<Lliurament>();
    // A thread of its own at once, however busy the pool is with others' work.
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->reserveThread();
    pool->startOnReservedThread([lliura, feina = std::move(feina), tard = std::move(tard)] {
        QImage img;
        try {
            img = feina();
        } catch (...) {
            img = {};
        }
        bool perAlQueEspera;
        {
            std::lock_guard<std::mutex> l(lliura->mutex);
            perAlQueEspera = lliura->esperant;
            if (perAlQueEspera)
                lliura->imatge = img;
        }
        lliura->fet.notify_all();
        if (!perAlQueEspera && tard) {
            try {
                tard(std::move(img));
            } catch (...) {
            }
        }
        std::lock_guard<std::mutex> l(Actius().mutex);
        --Actius().actius;
        Actius().acabat.notify_all();
    });
    std::unique_lock<std::mutex> l(lliura->mutex);
    lliura->fet.wait_for(l, std::chrono::milliseconds(std::max(ms, 0)), [&] { return lliura->imatge.has_value(); });
    Espera e;
    if (lliura->imatge)
        e.imatge = std::move(lliura->imatge);
    else
        e.enCurs = true;
    lliura->esperant = false;
    return e;
}

bool EsperaTreballadors(int ms)
{
    std::unique_lock<std::mutex> l(Actius().mutex);
    return Actius().acabat.wait_for(l, std::chrono::milliseconds(ms), [] { return Actius().actius == 0; });
}

} // namespace kovel::imatges
