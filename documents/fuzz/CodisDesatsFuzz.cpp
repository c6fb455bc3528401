// The codes file of a saved design on arbitrary bytes: it is refused or read, never crashes,
// and what it reads is written back to the same settings.
#include "documents/CodisDesats.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    guardar::CodisDisseny c;
    QString error;
    if (!guardar::LlegeixCodis(in, QStringLiteral("fuzz"), c, error))
        return 0;
    guardar::CodisDisseny d;
    if (!guardar::LlegeixCodis(guardar::EscriuCodis(c), QStringLiteral("fuzz"), d, error) || !(c == d))
        std::abort();
    return 0;
}
