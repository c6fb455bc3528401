// Any bytes as a literals file: the load ends, never crashes, and look-ups stay safe.
#include "common/ModTraduccion.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/LITER.UNI");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QString message;
    ModTraduccion::CarregarLiteralsDe(path, message);
    for (int i = 0; i < ModTraduccion::NumLiterals(); ++i)
        ModTraduccion::CercarLiteral(ModTraduccion::Entrada(i).Clau);
    ModTraduccion::Literal(1, QStringLiteral("%2"), 2);
    return 0;
}
