#include "documents/CodisDesatsPrograma.h"

#include "codes/CodiBarres.h"
#include "codes/CodiQR.h"
#include "codes/MidaCodi.h"
#include "codes/RegistreCodis.h"

#include <vector>

using kovel::barcode::ActiveBC;
using kovel::qr::QRCodeCtrl;

namespace guardar {

namespace {

// Numbers as stored: whole numbers within the given range, or false.
bool Enter(const QString& v, qint64 minim, qint64 maxim, qint64& n)
{
    bool ok = false;
    n = v.toLongLong(&ok);
    return ok && n >= minim && n <= maxim;
}

QString Boolea(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

bool LlegeixBoolea(const QString& v, bool& b)
{
    if (v != QLatin1String("0") && v != QLatin1String("1"))
        return false;
    b = v == QLatin1String("1");
    return true;
}

// One setting of a control: its name, how it is read and how it is set (false: the stored
// value is not one the control takes).
template <typename T>
struct Propietat {
    const char* nom;
    QString (*llegeix)(const T&);
    bool (*posa)(T&, const QString&);
};

#define KOVEL_ENTER(T, Nom, Min, Max, Tipus)                                                                     \
    Propietat<T>{#Nom, [](const T& c) { return QString::number(c.Nom()); },                                   \
                 [](T& c, const QString& v) {                                                                  \
                     qint64 n;                                                                                 \
                     if (!Enter(v, Min, Max, n))                                                               \
                         return false;                                                                         \
                     c.set##Nom(Tipus(n));                                                                     \
                     return true;                                                                              \
                 }}
#define KOVEL_BOOLEA(T, Nom)                                                                                     \
    Propietat<T>{#Nom, [](const T& c) { return Boolea(c.Nom()); },                                             \
                 [](T& c, const QString& v) {                                                                  \
                     bool b;                                                                                   \
                     if (!LlegeixBoolea(v, b))                                                                 \
                         return false;                                                                         \
                     c.set##Nom(b);                                                                            \
                     return true;                                                                              \
                 }}

// The printed size the user gave a code: its module in millimetres, 0 for its own size.
template <typename T>
Propietat<T> PropietatModul()
{
    // Twelve digits: a module of whole printer dots comes back as it was.
    return Propietat<T>{"ModulMm", [](const T& c) { return QString::number(c.ModulMm(), 'g', 12); },
                        [](T& c, const QString& v) {
                            bool ok = false;
                            const double m = v.toDouble(&ok);
                            if (!ok || !(m >= 0 && m <= kovel::codes::ModulMaximMm))
                                return false;
                            c.setModulMm(m);
                            return true;
                        }};
}

const std::vector<Propietat<ActiveBC>>& PropietatsBarres()
{
    static const std::vector<Propietat<ActiveBC>> p = {
        KOVEL_ENTER(ActiveBC, BarType, 0, kovel::barcode::NombreTipus - 1, std::int16_t),
        Propietat<ActiveBC>{"BarText", [](const ActiveBC& c) { return c.BarText(); },
                            [](ActiveBC& c, const QString& v) { c.setBarText(v); return true; }},
        KOVEL_ENTER(ActiveBC, TextAlign, 0, 6, std::int16_t),
        KOVEL_ENTER(ActiveBC, BackColor, 0, 0xFFFFFFFF, std::uint32_t),
        KOVEL_ENTER(ActiveBC, ForeColor, 0, 0xFFFFFFFF, std::uint32_t),
        KOVEL_ENTER(ActiveBC, TextColor, 0, 0xFFFFFFFF, std::uint32_t),
        KOVEL_ENTER(ActiveBC, Orientation, 0, 359, std::int16_t),
        KOVEL_BOOLEA(ActiveBC, CalcCheck),
        KOVEL_BOOLEA(ActiveBC, Transparent),
        KOVEL_BOOLEA(ActiveBC, ShowCheck),
        KOVEL_BOOLEA(ActiveBC, ShowGuard),
        KOVEL_BOOLEA(ActiveBC, ShowStSt),
        KOVEL_BOOLEA(ActiveBC, ShowText),
        KOVEL_BOOLEA(ActiveBC, ShowQuietZone),
        KOVEL_BOOLEA(ActiveBC, TextBottomTop),
        KOVEL_BOOLEA(ActiveBC, TxtEANFull),
        KOVEL_ENTER(ActiveBC, BarAlign, 0, 2, std::int16_t),
        KOVEL_ENTER(ActiveBC, Code128CharSet, 0, 3, std::int16_t),
        Propietat<ActiveBC>{"Wide2NarrowRatio", [](const ActiveBC& c) { return QString::number(double(c.Wide2NarrowRatio())); },
                            [](ActiveBC& c, const QString& v) {
                                bool ok = false;
                                const double r = v.toDouble(&ok);
                                if (!ok || !(r >= 1.0 && r <= 10.0))
                                    return false;
                                c.setWide2NarrowRatio(float(r));
                                return true;
                            }},
        KOVEL_BOOLEA(ActiveBC, NonPrintingToTxt),
        PropietatModul<ActiveBC>(),
        KOVEL_ENTER(ActiveBC, BarWidthReduction, -99, 99, std::int32_t),
        KOVEL_ENTER(ActiveBC, JPEGQuality, 0, 100, std::int32_t),
        Propietat<ActiveBC>{"FontName", [](const ActiveBC& c) { return c.Font().name; },
                            [](ActiveBC& c, const QString& v) {
                                if (v.size() > 200)
                                    return false;
                                auto f = c.Font();
                                f.name = v;
                                c.setFont(f);
                                return true;
                            }},
        Propietat<ActiveBC>{"FontSize", [](const ActiveBC& c) { return QString::number(c.Font().size); },
                            [](ActiveBC& c, const QString& v) {
                                bool ok = false;
                                const double s = v.toDouble(&ok);
                                if (!ok || !(s > 0 && s <= 400))
                                    return false;
                                auto f = c.Font();
                                f.size = s;
                                c.setFont(f);
                                return true;
                            }},
        Propietat<ActiveBC>{"FontStyle",
                            [](const ActiveBC& c) {
                                const auto f = c.Font();
                                return Boolea(f.bold) + Boolea(f.italic) + Boolea(f.underline);
                            },
                            [](ActiveBC& c, const QString& v) {
                                static const QString digits = QStringLiteral("01");
                                if (v.size() != 3 || !digits.contains(v[0]) || !digits.contains(v[1]) || !digits.contains(v[2]))
                                    return false;
                                auto f = c.Font();
                                f.bold = v[0] == u'1';
                                f.italic = v[1] == u'1';
                                f.underline = v[2] == u'1';
                                c.setFont(f);
                                return true;
                            }},
    };
    return p;
}

const std::vector<Propietat<QRCodeCtrl>>& PropietatsQR()
{
    static const std::vector<Propietat<QRCodeCtrl>> p = {
        Propietat<QRCodeCtrl>{"DataToEncode", [](const QRCodeCtrl& c) { return c.DataToEncode(); },
                              [](QRCodeCtrl& c, const QString& v) { c.setDataToEncode(v); return true; }},
        KOVEL_ENTER(QRCodeCtrl, PreferredVersion, 0, 40, std::int32_t),
        KOVEL_ENTER(QRCodeCtrl, EncodingMode, 0, 4, std::int32_t),
        KOVEL_ENTER(QRCodeCtrl, ErrorCorrectionLevel, 0, 3, std::int32_t),
        KOVEL_ENTER(QRCodeCtrl, Orientation, 0, 359, std::int32_t),
        KOVEL_BOOLEA(QRCodeCtrl, Transparent),
        KOVEL_ENTER(QRCodeCtrl, BackColor, 0, 0xFFFFFFFF, std::uint32_t),
        KOVEL_ENTER(QRCodeCtrl, ForeColor, 0, 0xFFFFFFFF, std::uint32_t),
        KOVEL_BOOLEA(QRCodeCtrl, QuietZone),
        KOVEL_BOOLEA(QRCodeCtrl, StretchBarcode),
        PropietatModul<QRCodeCtrl>(),
    };
    return p;
}

#undef KOVEL_ENTER
#undef KOVEL_BOOLEA

template <typename T>
Propietats Llegeix(const T& c, const std::vector<Propietat<T>>& ps)
{
    Propietats r;
    for (const auto& p : ps)
        r << qMakePair(QString::fromLatin1(p.nom), p.llegeix(c));
    return r;
}

// Unknown names are passed over (a later version may store more); a value the control
// does not take is an error naming it.
template <typename T>
bool Posa(T& c, const std::vector<Propietat<T>>& ps, const Propietats& valors, QString& error)
{
    for (const auto& [k, v] : valors) {
        for (const auto& p : ps) {
            if (k != QLatin1String(p.nom))
                continue;
            if (!p.posa(c, v)) {
                error = QStringLiteral("The setting %1 of a stored code (\"%2\") cannot be taken.").arg(k, v.left(40));
                return false;
            }
        }
    }
    return true;
}

int IndexDeTag(const QStringList& etiquetes, const EtiquetaCodi& e)
{
    const QString tag = QString::number(e.n) + u'_' + e.resta;
    return e.n >= 1 && e.n <= etiquetes.size() && etiquetes.at(e.n - 1) == tag ? e.n : 0;
}

} // namespace

std::optional<CodiDesat> CodisDesatsPrograma::exporta(const EtiquetaCodi& e)
{
    CodiDesat d;
    d.etiqueta = e;
    if (!e.qr) {
        ActiveBC* c = IndexDeTag(registre_.EtiquetesBarres, e) ? CodiBarres::Clon(registre_, e.n) : nullptr;
        if (!c)
            return std::nullopt;
        d.propietats = Llegeix(*c, PropietatsBarres());
        return d;
    }
    QRCodeCtrl* c = IndexDeTag(registre_.EtiquetesQR, e) ? CodiQR::Clon(registre_, e.n) : nullptr;
    if (!c)
        return std::nullopt;
    if (EsPlantilla(e)) {
        const QString* p = CodiQR::Plantilla(registre_, e.resta.toInt());
        if (!p)
            return std::nullopt;
        d.plantilla = *p;
    }
    d.propietats = Llegeix(*c, PropietatsQR());
    return d;
}

std::optional<EtiquetaCodi> CodisDesatsPrograma::importa(const CodiDesat& d, QString& error)
{
    if (!d.etiqueta.qr) {
        ActiveBC c;
        if (!Posa(c, PropietatsBarres(), d.propietats, error))
            return std::nullopt;
        CodiBarres::RegistrarClon(registre_, c, d.etiqueta.resta);
        return EtiquetaCodi{false, std::int32_t(registre_.ClonsBarres.size()), d.etiqueta.resta};
    }
    QRCodeCtrl c;
    // Data that the settings cannot encode is told at generation, record by record.
    c.setExcepcions(false);
    if (!Posa(c, PropietatsQR(), d.propietats, error))
        return std::nullopt;
    if (EsPlantilla(d.etiqueta)) {
        const std::int32_t k = registre_.ComptadorPlantillesQR;
        CodiQR::RegistrarClonPlantilla(registre_, c, d.plantilla, false);
        return EtiquetaCodi{true, std::int32_t(registre_.ClonsQR.size()), QString::number(k)};
    }
    CodiQR::RegistrarClon(registre_, c, d.etiqueta.resta);
    return EtiquetaCodi{true, std::int32_t(registre_.ClonsQR.size()), d.etiqueta.resta};
}

Propietats CodisDesatsPrograma::general()
{
    const CodiQR::OpcionsCodi& o = registre_.OpcionsQR;
    return {qMakePair(QStringLiteral("ECIActiu"), Boolea(o.eci)),
            qMakePair(QStringLiteral("IndexECI"), QString::number(o.indexEci)),
            qMakePair(QStringLiteral("UTF8Actiu"), Boolea(o.utf8)),
            qMakePair(QStringLiteral("PrefixDadesQR"), o.prefix)};
}

void CodisDesatsPrograma::setGeneral(const Propietats& ps)
{
    CodiQR::OpcionsCodi& o = registre_.OpcionsQR;
    for (const auto& [k, v] : ps) {
        bool b = false;
        qint64 n = 0;
        if (k == QLatin1String("ECIActiu") && LlegeixBoolea(v, b))
            o.eci = b;
        else if (k == QLatin1String("UTF8Actiu") && LlegeixBoolea(v, b))
            o.utf8 = b;
        else if (k == QLatin1String("IndexECI") && Enter(v, 0, CodiQR::LlistaECI().size() - 1, n))
            o.indexEci = std::int32_t(n);
        else if (k == QLatin1String("PrefixDadesQR") && v.size() <= 64)
            o.prefix = v;
    }
}

} // namespace guardar
