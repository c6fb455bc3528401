#include "wizard/TiposEspeciales.h"

#include "common/BasicRules.h"
#include "common/Cp1252.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>
#include <limits>

namespace kovel::wizard {

namespace {

// Records are counted in 16 bits: a larger file is no table of special types.
constexpr qint64 kMaxRegistres = std::numeric_limits<std::int16_t>::max() - 1;

QString textRegistre(const char* p)
{
    QByteArrayView bytes(p, 50);
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\0'))
        bytes.chop(1);
    return kovel::cp1252::toUnicode(bytes);
}

} // namespace

bool Cargar_Tipos_Especiales(TaulaTiposEspeciales& taula, QString& mensaje)
{
    return Cargar_Tipos_EspecialesDe(taula, ModReg::RutaPrograma(), mensaje);
}

bool Cargar_Tipos_EspecialesDe(TaulaTiposEspeciales& taula, const QString& carpeta, QString& mensaje)
{
    taula.NumTiposEspeciales = 0;
    taula.TiposEspeciales = QList<TipoEspecial>(1);
    const QString ruta = kovel::paths::findCaseInsensitive(carpeta, QStringLiteral("special.uni"));
    if (!ModTraduccion::ExisteixFitxer(ruta)) {
        mensaje = ModTraduccion::Literal(1, ruta);
        if (mensaje.isEmpty())
            mensaje = ruta + QStringLiteral(" Not Found !");
        return false;
    }
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        mensaje = QStringLiteral("%1: %2").arg(ruta, f.errorString());
        return false;
    }
    const qint64 registres = f.size() / LongitudTipoEspecial;
    if (registres > kMaxRegistres) {
        mensaje = QStringLiteral("%1: %2 records, more than the %3 the program can hold").arg(ruta).arg(registres).arg(kMaxRegistres);
        return false;
    }
    QList<TipoEspecial> llegits;
    llegits.reserve(registres + 1);
    for (qint64 i = 0; i < registres; ++i) {
        const QByteArray r = f.read(LongitudTipoEspecial);
        if (r.size() != LongitudTipoEspecial) {
            mensaje = QStringLiteral("%1: %2").arg(ruta, f.errorString());
            return false;
        }
        TipoEspecial t;
        t.Numero = qFromLittleEndian<qint16>(r.constData());
        for (int k = 0; k < 5; ++k)
            t.Textos[std::size_t(k)] = textRegistre(r.constData() + 2 + 50 * k);
        t.Datos = r.mid(252, 32);
        llegits.append(std::move(t));
    }
    llegits.append(TipoEspecial{});
    taula.TiposEspeciales = std::move(llegits);
    taula.NumTiposEspeciales = std::int16_t(registres);
    return true;
}

void Actualitza_Llista(const QStringList& camposLista, int totalCampos, QStringList& lstCampos0, QStringList& lstCampos1)
{
    lstCampos0.clear();
    lstCampos1.clear();
    for (int i = 0; i < totalCampos && i < camposLista.size(); ++i) {
        lstCampos1.append(camposLista[i]);
        lstCampos0.append(camposLista[i]);
    }
}

void sustituye(QString& text, const QString& buscat, const QString& reemplac)
{
    const qsizetype p = text.indexOf(buscat, 0, Qt::CaseInsensitive);
    if (p < 0)
        throw ErrorArgumentInvalid();
    text = text.left(p) + reemplac + text.mid(p + buscat.size());
}

void PreparaNombreLista(QString& txtOtraUbicacion)
{
    PreparaNombreListaEn(ModReg::CarpetaPersonal(), txtOtraUbicacion);
}

void PreparaNombreListaEn(const QString& carpetaDocuments, QString& txtOtraUbicacion)
{
    if (!txtOtraUbicacion.isEmpty())
        return;
    const QString base = ModTraduccion::Literal(15);
    const QDir documents(carpetaDocuments);
    for (int i = 1; i < std::numeric_limits<int>::max(); ++i) {
        const QString nom = base + QString::number(i) + QStringLiteral(".docx");
        if (!QFileInfo::exists(documents.filePath(nom))) {
            txtOtraUbicacion = nom;
            return;
        }
    }
}

void Combina_Lista(const QString& a, const QString& b, QString& resultat)
{
    Combina_Lista(a, b, resultat, ModReg::SeparadorLlista());
}

void Combina_Lista(const QString& a, const QString& b, QString& resultat, QChar separador)
{
    resultat.clear();
    if (a.isEmpty() || b.isEmpty())
        return;
    const QStringList items = a.split(separador);
    const QStringList numeros = b.split(separador, Qt::SkipEmptyParts);
    QStringList triats;
    qsizetype n = 1;   // the item number of a that the counter stands on
    for (const QString& numero : numeros) {
        const double buscat = kovel::basic::Val(numero);
        while (n < buscat && n <= items.size())
            ++n;
        if (n > items.size())
            break;
        triats.append(items[n - 1]);
    }
    resultat = triats.join(separador);
}

void Actualitza_Camps(const QString&) {}

} // namespace kovel::wizard
