// Any bytes given as a picture are refused with a reason, or decoded to no more than the
// budget allows and to exactly the size their header gave; nothing else may happen.
#include "platform/imatges/LecturaImatge.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kovel::imatges;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Pressupost p;
    p.costatMaxim = 512;
    p.pixels = 1 << 18;
    p.escanejos = 50;
    p.blocs = 1 << 14;
    const Examen e = Examina(bytes, p);
    if (!e.admesa()) {
        if (!e.bytes.isEmpty())
            __builtin_trap();
        return 0;
    }
    if (e.mida.width() > p.costatMaxim || e.mida.height() > p.costatMaxim
        || qint64(e.mida.width()) * e.mida.height() > p.pixels || e.escanejos > p.escanejos || e.blocs > p.blocs)
        __builtin_trap();
    const QImage img = Decodifica(e);
    if (!img.isNull() && img.size() != e.mida && img.size() != e.mida.transposed())
        __builtin_trap();
    return 0;
}
