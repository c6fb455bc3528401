#pragma once
// A Zint symbol at its defaults, the same one each time on a thread: a generation encodes
// thousands of codes, and a new symbol is a cleared allocation of some 30 KB, which cost
// more than encoding an EAN-13. Valid until the next call on the thread; never deleted by
// the caller. Null when out of memory.
#include <zint.h>

#include <QRegularExpression>
#include <QString>

#include <cstring>
#include <memory>

namespace kovel::zintutil {

inline zint_symbol* SimbolNet()
{
    using Simbol = std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)>;
    thread_local const Simbol inicial(ZBarcode_Create(), &ZBarcode_Delete);
    thread_local Simbol simbol(ZBarcode_Create(), &ZBarcode_Delete);
    if (!inicial || !simbol) return nullptr;
    ZBarcode_Clear(simbol.get());   // lets go of any picture the last use drew
    std::memcpy(simbol.get(), inicial.get(), sizeof(zint_symbol));
    return simbol.get();
}

// The symbol's error text as the user reads it: Zint's "Error 777: " (or "Warning ...")
// number is the library's own and tells the user nothing.
inline QString TextError(const zint_symbol& s)
{
    static const QRegularExpression numero(QStringLiteral("^\\s*(Error|Warning)\\s+\\d+\\s*:\\s*"));
    return QString::fromUtf8(s.errtxt).remove(numero);
}

} // namespace kovel::zintutil
