// The saved-designs store reader on arbitrary bytes: it refuses or reads, never crashes,
// and what it reads can be written again.
#include "documents/guardar.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    const guardar::Lectura l = guardar::LlegeixRegistres(in, QStringLiteral("fuzz"));
    if (l.error.isEmpty())
        (void)guardar::CodificaRegistres(l.registres);
    return 0;
}
