#include "documents/CodisDesats.h"

#include "platform/word/Document.h"

#include <QRegularExpression>
#include <QSet>

namespace guardar {

namespace {

const QLatin1String PrefixBarres("TOLV_barres_");
const QLatin1String PrefixQR("TOLV_qr_");

bool Numero(const QString& s, std::int32_t& n, std::int32_t maxim)
{
    if (s.isEmpty() || s.size() > 9)
        return false;
    for (QChar c : s)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    n = s.toInt();
    return n >= 0 && n <= maxim;
}

QString Escapa(const QString& v)
{
    QString r;
    r.reserve(v.size());
    for (QChar c : v) {
        switch (c.unicode()) {
        case '\\': r += QLatin1String("\\\\"); break;
        case '\n': r += QLatin1String("\\n"); break;
        case '\r': r += QLatin1String("\\r"); break;
        case '\t': r += QLatin1String("\\t"); break;
        default: r += c;
        }
    }
    return r;
}

bool Desescapa(const QString& v, QString& r)
{
    r.clear();
    r.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] != u'\\') {
            r += v[i];
            continue;
        }
        if (++i >= v.size())
            return false;
        switch (v[i].unicode()) {
        case '\\': r += u'\\'; break;
        case 'n': r += u'\n'; break;
        case 'r': r += u'\r'; break;
        case 't': r += u'\t'; break;
        default: return false;
        }
    }
    return true;
}

bool ClauValida(const QString& k)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z][A-Za-z0-9_]{0,39}$"));
    return re.match(k).hasMatch();
}

} // namespace

std::optional<EtiquetaCodi> EtiquetaDe(const QString& alt)
{
    EtiquetaCodi e;
    QString cua;
    if (alt.startsWith(PrefixBarres))
        cua = alt.mid(PrefixBarres.size());
    else if (alt.startsWith(PrefixQR)) {
        e.qr = true;
        cua = alt.mid(PrefixQR.size());
    } else
        return std::nullopt;
    const qsizetype p = cua.indexOf(u'_');
    if (p <= 0 || !Numero(cua.left(p), e.n, 99999999) || e.n < 1)
        return std::nullopt;
    e.resta = cua.mid(p + 1);
    return e;
}

QString TextAlternatiu(const EtiquetaCodi& e)
{
    return (e.qr ? QString(PrefixQR) : QString(PrefixBarres)) + QString::number(e.n) + u'_' + e.resta;
}

bool EsPlantilla(const EtiquetaCodi& e)
{
    std::int32_t k = 0;
    return e.qr && Numero(e.resta, k, 99999999);
}

QByteArray EscriuCodis(const CodisDisseny& c)
{
    QString t = QStringLiteral("# Field-linked codes of this design\n[general]\n");
    auto linies = [&](const Propietats& ps) {
        for (const auto& [k, v] : ps)
            t += k + u'=' + Escapa(v) + u'\n';
    };
    linies(c.general);
    for (const CodiDesat& d : c.codis) {
        t += QStringLiteral("[%1 %2]\n").arg(d.etiqueta.qr ? QStringLiteral("qr") : QStringLiteral("barres")).arg(d.etiqueta.n);
        t += QStringLiteral("camp=") + Escapa(d.etiqueta.resta) + u'\n';
        if (EsPlantilla(d.etiqueta) || !d.plantilla.isEmpty())
            t += QStringLiteral("plantilla=") + Escapa(d.plantilla) + u'\n';
        linies(d.propietats);
    }
    return t.toUtf8();
}

bool LlegeixCodis(QByteArrayView dades, const QString& nomFitxer, CodisDisseny& c, QString& error)
{
    c = {};
    if (dades.size() > MidaMaximaCodis) {
        error = QStringLiteral("The codes file \"%1\" is too large.").arg(nomFitxer);
        return false;
    }
    const QStringList linies = QString::fromUtf8(dades).split(u'\n');
    auto falla = [&](qsizetype linia, const QString& que) {
        error = QStringLiteral("The codes file \"%1\" is damaged at line %2: %3.").arg(nomFitxer).arg(linia + 1).arg(que);
        c = {};
        return false;
    };
    static const QRegularExpression seccio(QStringLiteral("^\\[(barres|qr) ([0-9]{1,6})\\]$"));
    Propietats* actual = nullptr;
    CodiDesat* codi = nullptr;
    QSet<QString> vistes;
    for (qsizetype i = 0; i < linies.size(); ++i) {
        QString l = linies[i];
        if (l.endsWith(u'\r'))
            l.chop(1);
        if (l.isEmpty() || l.startsWith(u'#'))
            continue;
        if (l == QLatin1String("[general]")) {
            if (vistes.contains(l))
                return falla(i, QStringLiteral("a repeated section"));
            vistes.insert(l);
            actual = &c.general;
            codi = nullptr;
            continue;
        }
        if (l.startsWith(u'[')) {
            const auto m = seccio.match(l);
            if (!m.hasMatch())
                return falla(i, QStringLiteral("an unknown section"));
            if (c.codis.size() >= MaximCodis)
                return falla(i, QStringLiteral("too many codes"));
            CodiDesat d;
            d.etiqueta.qr = m.captured(1) == QLatin1String("qr");
            d.etiqueta.n = m.captured(2).toInt();
            if (d.etiqueta.n < 1 || d.etiqueta.n > MaximCodis)
                return falla(i, QStringLiteral("a code number out of range"));
            const QString clau = m.captured(1) + u' ' + QString::number(d.etiqueta.n);
            if (vistes.contains(clau))
                return falla(i, QStringLiteral("a repeated section"));
            vistes.insert(clau);
            c.codis << d;
            codi = &c.codis.back();
            actual = &codi->propietats;
            continue;
        }
        const qsizetype igual = l.indexOf(u'=');
        if (!actual || igual <= 0)
            return falla(i, QStringLiteral("a line that is no setting"));
        const QString clau = l.left(igual);
        QString valor;
        if (!ClauValida(clau) || !Desescapa(l.mid(igual + 1), valor))
            return falla(i, QStringLiteral("a setting that cannot be read"));
        if (codi && clau == QLatin1String("camp"))
            codi->etiqueta.resta = valor;
        else if (codi && clau == QLatin1String("plantilla"))
            codi->plantilla = valor;
        else if (actual->size() >= MaximPropietats)
            return falla(i, QStringLiteral("too many settings"));
        else
            *actual << qMakePair(clau, valor);
    }
    for (const CodiDesat& d : c.codis)
        if (d.etiqueta.resta.isEmpty())
            return falla(linies.size() - 1, QStringLiteral("a code without its field"));
    return true;
}

QList<EtiquetaCodi> EtiquetesCodis(kovel::word::Document& doc)
{
    QList<EtiquetaCodi> r;
    for (const kovel::word::InlinePicture* p : doc.inlinePictures())
        if (const auto e = EtiquetaDe(p->alternativeText()))
            r << *e;
    return r;
}

bool RenumeraCodis(kovel::word::Document& doc,
                   const std::function<std::optional<EtiquetaCodi>(const EtiquetaCodi&)>& canvi)
{
    bool canviat = false;
    for (kovel::word::InlinePicture* p : doc.inlinePictures()) {
        const auto e = EtiquetaDe(p->alternativeText());
        if (!e)
            continue;
        const auto nova = canvi(*e);
        if (nova && !(*nova == *e)) {
            p->setAlternativeText(TextAlternatiu(*nova));
            canviat = true;
        }
    }
    return canviat;
}

QList<QPair<EtiquetaCodi, EtiquetaCodi>> NumeracioDisseny(const QList<EtiquetaCodi>& etiquetes)
{
    QList<QPair<EtiquetaCodi, EtiquetaCodi>> r;
    std::int32_t barres = 0, qr = 0, plantilles = 0;
    for (const EtiquetaCodi& e : etiquetes) {
        bool vista = false;
        for (const auto& [vella, nova] : r)
            vista = vista || vella == e;
        if (vista)
            continue;
        EtiquetaCodi nova = e;
        nova.n = e.qr ? ++qr : ++barres;
        if (EsPlantilla(e))
            nova.resta = QString::number(plantilles++);
        r << qMakePair(e, nova);
    }
    return r;
}

} // namespace guardar
