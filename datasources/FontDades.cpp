#include "datasources/FontDades.h"

QString FontDadesActual;

namespace kovel::datasources {

namespace {
std::function<void()> g_amagar, g_mostrar;
}

void setPresentacio(std::function<void()> amagar, std::function<void()> mostrar)
{
    g_amagar = std::move(amagar);
    g_mostrar = std::move(mostrar);
}

void AmagarPresentacio()
{
    if (g_amagar) g_amagar();
}

void MostrarPresentacio()
{
    if (g_mostrar) g_mostrar();
}

} // namespace kovel::datasources
