#pragma once
// Catalogues made for the tests with the same writer the build uses.
#include "catalogue/Cataleg.h"
#include "common/ModTraduccion.h"
#include "tools/catalogue/EscritorCatalogo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pruebas {

// A plain A4 format 3 across and 8 down of 7 x 3.7 cm.
inline kovel::catalogue::Formato UnFormato(int codigo, std::uint8_t papel = PapelA4, const QString& descripcion = QString())
{
    kovel::catalogue::Formato f;
    EtiquetaCatalogo& e = f.etiqueta;
    e.Referencia = QStringLiteral("KOVEL %1").arg(codigo).leftJustified(15);
    e.Codigo = codigo;
    e.Descripcion = (descripcion.isEmpty() ? QStringLiteral("Labels %1").arg(codigo) : descripcion).leftJustified(255);
    e.Forma = 1;
    e.Ancho = 7.0f;
    e.Alto = 3.7f;
    e.MargenIzquierdo = 0.0f;
    e.MargenSuperior = 0.05f;
    e.PasoHorizontal = 7.0f;
    e.PasoVertical = 3.7f;
    e.Filas = 8;
    e.Columnas = 3;
    e.TextoAdicional = QString(25, QLatin1Char(' '));
    e.Holgura = {0.1f, 0.2f};
    e.TipoPapel = papel;
    EtiquetaExtendida& x = f.extension;
    x.AnchoCom = 7.0;
    x.AltoCom = 3.7;
    x.AnchoPag = 21.0;
    x.AltoPag = 29.7;
    x.Categoria = 2;
    x.Uso = 1;
    x.MargenDerecho = 0.0;
    x.MargenInferior = 0.05;
    return f;
}

// Loads the literals of the program folder once, so that messages carry their texts.
inline void CargaLiterales()
{
    static bool hecho = false;
    if (!hecho) {
        QString m;
        ModTraduccion::CarregarLiteralsDe(QStringLiteral(KOVEL_PROGRAM_DIR "/LITER.UNI"), m);
        hecho = true;
    }
}

inline void Escribe(const QString& ruta, const QByteArray& datos)
{
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(datos), datos.size());
}

// Writes a catalogue and loads it into `cat`; fails the test when either step fails.
inline void CargaCatalogo(Cataleg& cat, const QList<kovel::catalogue::Formato>& formatos,
                          const QList<CampoCabecera>& campos = kovel::catalogue::CamposEstandar())
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    ASSERT_TRUE(kovel::catalogue::EscribeCatalogo(dir.path(), formatos, campos, error)) << qPrintable(error);
    ASSERT_TRUE(ModTolvWiz::Carga_CatalogoDe(cat, dir.path(), error)) << qPrintable(error);
}

} // namespace pruebas
