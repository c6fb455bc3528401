// Any bytes as a settings file: parsing must not crash, and what it keeps must survive
// being written and read again.
#include "platform/registry/Registry.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto tree = kovel::registry::Tree::parse(bytes, QStringLiteral("HKEY_CURRENT_USER"));
    const QByteArray written = tree.serialize();
    bool ok = false;
    const auto back = kovel::registry::Tree::parse(written, QStringLiteral("HKEY_CURRENT_USER"), &ok);
    if (!ok || back.serialize() != written)
        std::abort();
    return 0;
}
