// Any bytes given as an EMF picture are drawn within the budget, refused for asking more, or
// not drawn at all; nothing else may happen. The first byte picks the size drawn at, so the
// counting is reached at small and large sizes alike.
#include "platform/docframe/DibuixVectorial.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char arg0[] = "emf_fuzz";
    static char* argv[] = {arg0, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
    if (size < 1)
        return 0;
    const int costat = 16 + int(data[0]) * 8;
    const QByteArray emf(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    bool superat = false;
    const QImage img = kovel::docframe::DibuixaEmf(emf, QSize(costat, costat), &superat);
    if (superat && !img.isNull())
        __builtin_trap();
    if (!img.isNull() && img.size() != QSize(costat, costat))
        __builtin_trap();
    return 0;
}
