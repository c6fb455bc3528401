#pragma once
// Pictures from untrusted bytes (a design document copied from anyone, a banner page over
// plain HTTP), decoded only once the work they ask for is known and within a budget.
//
// The rule, in the order the code follows it:
//  1. Only the formats whose cost can be read off their structure are decoded: PNG, JPEG,
//     GIF and BMP. Anything else is refused ("not a picture this program reads").
//  2. The structure is walked first, by this code, not by the decoder: a PNG's chunks
//     (lengths inside the file, IHDR first), a JPEG's markers and scans (a frame header
//     before the first scan, every segment inside the file).
//  3. Size: the picture's own width and height, no more than `costatMaxim` a side and
//     `pixels` in all.
//  4. PNG: the text chunks (tEXt, zTXt, iTXt) never reach the decoder, which would inflate
//     them before a pixel is read; other ancillary chunks (colour profile, transparency...)
//     are kept in the file's order while their bytes stay within `auxiliars`, and the rest
//     are left out. A compressed profile within that total may inflate a thousandfold; the PNG
//     library stops a chunk it inflates at its own limit of 8 MB.
//     The picture shown is the same: none of them changes a pixel.
//  5. JPEG: the decoder visits every 8 x 8 block of a scan's components once per scan, so
//     the work is the blocks of each scan, summed over the scans; more than `escanejos`
//     scans, or more than `blocs` blocks in all, is refused.
//  6. What is refused says why, in words for the user; what passes is decoded from the
//     bytes the walk kept (the caller's bytes are never changed).
//  7. Decoding that may still take long runs on a worker thread, and whoever waits for it
//     waits no longer than its time limit (AmbTempsLimit); what the worker gives later is
//     handed to the caller's `tard`, on the worker's thread, and otherwise dropped.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace kovel::imatges {

struct Pressupost {
    int costatMaxim = 8192;
    qint64 pixels = 16 << 20;
    qint64 auxiliars = 64 * 1024;   // PNG: bytes of the ancillary chunks kept
    int escanejos = 1000;           // JPEG: scans
    qint64 blocs = 24 << 20;        // JPEG: 8 x 8 blocks visited, over all the scans
};

struct Examen {
    QByteArray format;  // "png", "jpeg", "gif", "bmp"; empty when not one of them
    QSize mida;         // as the picture's header gives it; invalid when it has none
    qint64 blocs = 0;   // JPEG: blocks its scans visit
    int escanejos = 0;  // JPEG: its scans
    QByteArray bytes;   // what the decoder is given
    QString motiu;      // why it is refused; empty when it may be decoded
    bool superat = false; // refused for what it asks (size, scans), not for being malformed
    bool admesa() const { return motiu.isEmpty(); }
};

// Steps 1 to 5: what the bytes ask for, and whether it is within `p`. Linear in the bytes.
Examen Examina(const QByteArray& dades, const Pressupost& p = {});

// The picture decoded from what Examina kept; a null image when it refuses, with its reason
// in `motiu`, or when the decoder fails.
QImage Decodifica(const Examen& e, QString* motiu = nullptr);
QImage Llegeix(const QByteArray& dades, const Pressupost& p = {}, QString* motiu = nullptr);

// Runs `feina` on a worker thread and waits at most `ms` for it (0: not at all).
//  - Done in time: `imatge` holds its picture, and `tard` is never called.
//  - Not done in time: `enCurs`; the worker ends on its own and hands its picture to `tard`,
//    on its own thread, before it counts as ended (so once EsperaTreballadors is true, every
//    `tard` has returned). Without a `tard` the picture is dropped.
//  - While `TreballadorsMaxims` workers are still running, `feina` is not started: neither
//    field is set, and asking again later may start it. Pictures out of time never pile up
//    threads.
constexpr int TreballadorsMaxims = 4;
struct Espera {
    std::optional<QImage> imatge;
    bool enCurs = false;
};
using Tard = std::function<void(QImage)>;
Espera AmbTempsLimit(std::function<QImage()> feina, int ms, Tard tard = {});
// Waits up to `ms` for the workers still running (they draw with the program's fonts and
// painters, which must outlive them); true when none is left. The application waits for
// them when it ends.
bool EsperaTreballadors(int ms);

} // namespace kovel::imatges
