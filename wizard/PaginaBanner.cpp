#include "wizard/PaginaBanner.h"

#include <QRegularExpression>
#include <QUrlQuery>

#include <algorithm>

namespace ModTolvWiz {

namespace {

bool esLletraODigit(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

bool esEspai(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool esBuit(const QString& nom)
{
    static const QStringList buits = {QStringLiteral("area"),  QStringLiteral("base"),   QStringLiteral("br"),
                                      QStringLiteral("col"),   QStringLiteral("embed"),  QStringLiteral("frame"),
                                      QStringLiteral("hr"),    QStringLiteral("img"),    QStringLiteral("input"),
                                      QStringLiteral("link"),  QStringLiteral("meta"),   QStringLiteral("param"),
                                      QStringLiteral("source"), QStringLiteral("track"), QStringLiteral("wbr")};
    return buits.contains(nom);
}

// An open tag that a new one closes without an end tag (<p>, <li>, <td>, ...).
bool tancaIgual(const QString& obert, const QString& nou)
{
    const auto cella = [](const QString& n) { return n == u"td" || n == u"th"; };
    const auto definicio = [](const QString& n) { return n == u"dt" || n == u"dd"; };
    if (cella(nou))
        return cella(obert);
    if (definicio(nou))
        return definicio(obert);
    return obert == nou && (nou == u"p" || nou == u"li" || nou == u"option" || nou == u"tr");
}

QString valorNet(QStringView v)
{
    return v.toString().replace(QLatin1String("&amp;"), QLatin1String("&")).trimmed();
}

// The raw text elements whose content is not markup.
bool esTextCru(const QString& nom)
{
    return nom == u"script" || nom == u"style" || nom == u"title" || nom == u"textarea" || nom == u"xmp";
}

} // namespace

EscaneigHTML EscanejarHTML(QStringView s, const PressupostPagina& pressupost)
{
    EscaneigHTML e;
    std::vector<QString> oberts;   // the open elements, never more than the budget's depth
    // Where the next "</name" lies from where the last search began (-1: nowhere after it):
    // searching again from every unclosed <iframe> or <script> would take quadratic time.
    QHash<QString, qsizetype> tancaments;
    const auto seguentTancament = [&](const QString& nom, qsizetype desde) {
        const auto it = tancaments.constFind(nom);
        if (it != tancaments.constEnd() && (*it < 0 || *it >= desde))
            return *it;
        const qsizetype on = s.indexOf(QString(QStringLiteral("</") + nom), desde, Qt::CaseInsensitive);
        tancaments.insert(nom, on);
        return on;
    };
    int taules = 0;
    const qsizetype n = s.size();
    const auto passat = [&](const QString& motiu) {
        e.dinsPressupost = false;
        e.motiu = motiu;
    };
    qsizetype i = 0;
    while (i < n && e.dinsPressupost) {
        const qsizetype lt = s.indexOf(u'<', i);
        e.text += (lt < 0 ? n : lt) - i;
        if (e.text > pressupost.text) {
            passat(QStringLiteral("more than %1 characters of text").arg(pressupost.text));
            break;
        }
        if (lt < 0)
            break;
        i = lt;
        if (s.mid(i, 4) == u"<!--") {
            const qsizetype fi = s.indexOf(u"-->", i + 4);
            i = fi < 0 ? n : fi + 3;
            continue;
        }
        if (i + 1 >= n) {
            ++e.text;
            break;
        }
        if (s[i + 1] == u'!' || s[i + 1] == u'?') {
            const qsizetype fi = s.indexOf(u'>', i);
            i = fi < 0 ? n : fi + 1;
            continue;
        }
        const bool tancament = s[i + 1] == u'/';
        qsizetype j = i + (tancament ? 2 : 1);
        const qsizetype iniciNom = j;
        while (j < n && esLletraODigit(s[j]))
            ++j;
        if (j == iniciNom) {   // a lone '<' is text
            ++e.text;
            i = lt + 1;
            continue;
        }
        const QString nom = s.mid(iniciNom, j - iniciNom).toString().toLower();

        // The attributes, up to the tag's '>' (quoted values may hold one).
        struct Atribut {
            QString nom;
            QStringView valor;
            qsizetype inici = 0;
        };
        std::vector<Atribut> atributs;
        bool autoTancat = false, acabat = false;
        while (j < n) {
            while (j < n && (esEspai(s[j]) || s[j] == u'/')) {
                autoTancat = s[j] == u'/';
                ++j;
            }
            if (j >= n)
                break;
            if (s[j] == u'>') {
                ++j;
                acabat = true;
                break;
            }
            autoTancat = false;
            const qsizetype iniciAtribut = j;
            while (j < n && !esEspai(s[j]) && s[j] != u'=' && s[j] != u'>' && s[j] != u'/')
                ++j;
            if (j == iniciAtribut)
                ++j;   // a stray '=' or quote
            Atribut a{s.mid(iniciAtribut, j - iniciAtribut).toString().toLower(), {}, j};
            qsizetype k = j;
            while (k < n && esEspai(s[k]))
                ++k;
            if (k < n && s[k] == u'=') {
                ++k;
                while (k < n && esEspai(s[k]))
                    ++k;
                if (k < n && (s[k] == u'"' || s[k] == u'\'')) {
                    const qsizetype tanca = s.indexOf(s[k], k + 1);
                    if (tanca < 0) {
                        j = n;
                        break;
                    }
                    a.inici = k + 1;
                    a.valor = s.mid(k + 1, tanca - k - 1);
                    j = tanca + 1;
                } else {
                    const qsizetype iniciValor = k;
                    while (k < n && !esEspai(s[k]) && s[k] != u'>')
                        ++k;
                    a.inici = iniciValor;
                    a.valor = s.mid(iniciValor, k - iniciValor);
                    j = k;
                }
            }
            if (tancament)
                continue;
            if (a.nom == u"style")
                e.estil += a.valor.size();
            if (a.nom == u"src" || a.nom == u"background")
                atributs.push_back(std::move(a));
        }
        if (!acabat)
            break;   // a tag left open to the end shows nothing more
        // The document parser's time and memory grow fast with the style it reads, and a
        // worker at it cannot be stopped: too much is refused here.
        const auto massaEstil = [&] {
            if (e.estil <= pressupost.estil)
                return false;
            passat(QStringLiteral("more than %1 characters of style").arg(pressupost.estil));
            return true;
        };
        if (massaEstil())
            break;

        if (tancament) {
            if (nom == u"body" && e.cosInici >= 0 && e.cosFi < 0)
                e.cosFi = lt;
            const auto it = std::find(oberts.rbegin(), oberts.rend(), nom);
            if (it != oberts.rend()) {
                const auto desde = it.base() - 1;
                taules -= int(std::count(desde, oberts.end(), QStringLiteral("table")));
                oberts.erase(desde, oberts.end());
            }
            i = j;
            continue;
        }

        if (++e.elements > pressupost.elements) {
            passat(QStringLiteral("more than %1 elements").arg(pressupost.elements));
            break;
        }
        const auto atribut = [&](const char* quin) -> const Atribut* {
            for (const Atribut& a : atributs)
                if (a.nom == QLatin1String(quin))
                    return &a;
            return nullptr;
        };
        const auto recurs = [&](RecursHTML::Tipus tipus, const char* quin) {
            if (const Atribut* a = atribut(quin))
                e.recursos.push_back({tipus, valorNet(a->valor), a->inici, a->inici + a->valor.size()});
        };
        if (nom == u"img")
            recurs(RecursHTML::Tipus::Imatge, "src");
        else if (nom == u"body" || nom == u"table" || nom == u"td" || nom == u"th")
            recurs(RecursHTML::Tipus::Imatge, "background");
        else if (nom == u"frame")
            recurs(RecursHTML::Tipus::Marc, "src");
        else if (nom == u"frameset")
            e.frameset = true;
        if (nom == u"body" && e.cosInici < 0)
            e.cosInici = j;

        if (nom == u"iframe") {
            // Its content stands for browsers without frames: the frame's body replaces it all.
            recurs(RecursHTML::Tipus::Marc, "src");
            qsizetype fi = j;
            if (!autoTancat) {
                const qsizetype tanca = seguentTancament(nom, j);
                if (tanca >= 0) {
                    const qsizetype gt = s.indexOf(u'>', tanca);
                    fi = gt < 0 ? n : gt + 1;
                }
            }
            const Atribut* src = atribut("src");
            e.iframes.push_back({lt, fi, src ? valorNet(src->valor) : QString()});
            i = fi;
            continue;
        }
        if (esTextCru(nom)) {
            // Not markup, yet the document parser's time grows with every tag written inside
            // (quadratically for <script> in <script>): each one counts as an element.
            const qsizetype tanca = seguentTancament(nom, j);
            i = tanca < 0 ? n : tanca;
            if (nom == u"style" && (e.estil += i - j, massaEstil()))
                break;
            for (qsizetype k = j; k + 1 < i; ++k)
                if (s[k] == u'<' && esLletraODigit(s[k + 1]))
                    ++e.elements;
            if (e.elements > pressupost.elements) {
                passat(QStringLiteral("more than %1 elements").arg(pressupost.elements));
                break;
            }
            continue;
        }
        i = j;
        if (autoTancat || esBuit(nom))
            continue;
        if (!oberts.empty() && tancaIgual(oberts.back(), nom))
            oberts.pop_back();
        else if (nom == u"tr" && !oberts.empty() && (oberts.back() == u"td" || oberts.back() == u"th")) {
            oberts.pop_back();
            if (!oberts.empty() && oberts.back() == u"tr")
                oberts.pop_back();
        }
        oberts.push_back(nom);
        e.profunditat = std::max(e.profunditat, int(oberts.size()));
        if (nom == u"table") {
            e.taulesNiuades = std::max(e.taulesNiuades, ++taules);
            if (taules > pressupost.taulesNiuades) {
                passat(QStringLiteral("more than %1 tables one inside another").arg(pressupost.taulesNiuades));
                break;
            }
        }
        if (e.profunditat > pressupost.profunditat) {
            passat(QStringLiteral("more than %1 elements one inside another").arg(pressupost.profunditat));
            break;
        }
    }
    return e;
}

QString CosHTML(const QString& html, const EscaneigHTML& escaneig)
{
    if (escaneig.cosInici < 0)
        return html;
    const qsizetype fi = escaneig.cosFi < 0 ? html.size() : escaneig.cosFi;
    return html.mid(escaneig.cosInici, fi - escaneig.cosInici);
}

QString AbsolutitzarRecursos(const QString& html, const EscaneigHTML& escaneig, const QUrl& base)
{
    QString out;
    out.reserve(html.size());
    qsizetype desde = 0;
    for (const RecursHTML& r : escaneig.recursos) {
        out += QStringView(html).mid(desde, r.inici - desde);
        // Written back as a value that holds no quote of either kind.
        out += base.resolved(QUrl(r.valor)).toString(QUrl::FullyEncoded).toHtmlEscaped().replace(u'\'', QLatin1String("%27"));
        desde = r.fi;
    }
    return out + html.mid(desde);
}

QString ComposarPagina(const QString& html, const EscaneigHTML& escaneig, const QUrl& base, const std::vector<QUrl>& marcs,
                       const QHash<QUrl, QString>& cossos)
{
    QString out;
    if (escaneig.frameset) {
        for (const QUrl& m : marcs)
            out += cossos.value(m);
        return out;
    }
    qsizetype desde = 0;
    for (const auto& f : escaneig.iframes) {
        out += QStringView(html).mid(desde, f.inici - desde);
        out += cossos.value(base.resolved(QUrl(f.src)));
        desde = f.fi;
    }
    return out + html.mid(desde);
}

bool EsAdrecaWeb(const QUrl& url)
{
    return url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https") && !url.host().isEmpty();
}

bool MateixServidor(const QUrl& url, const QUrl& pagina)
{
    if (!EsAdrecaWeb(url) || !EsAdrecaWeb(pagina) || url.scheme() != pagina.scheme())
        return false;
    const int perDefecte = url.scheme() == u"https" ? 443 : 80;
    return url.host().compare(pagina.host(), Qt::CaseInsensitive) == 0 && url.port(perDefecte) == pagina.port(perDefecte);
}

std::optional<QString> MailtoSegur(const QUrl& url)
{
    if (url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // One plain address: nothing the mail program could read as an option or a header.
    static const QRegularExpression adreca(QStringLiteral(
        "^[A-Za-z0-9_+][A-Za-z0-9._+-]{0,63}@[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$"));
    const QString primera = url.path(QUrl::FullyDecoded).section(u',', 0, 0).trimmed();
    if (!adreca.match(primera).hasMatch())
        return std::nullopt;
    QString assumpte;
    for (const auto& [clau, valor] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        if (clau.compare(QLatin1String("subject"), Qt::CaseInsensitive) == 0) {
            assumpte = valor;
            break;
        }
    assumpte.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]")));
    assumpte = assumpte.left(200).trimmed();
    QString resultat = QStringLiteral("mailto:") + primera;
    if (!assumpte.isEmpty())
        resultat += QStringLiteral("?subject=") + QString::fromLatin1(QUrl::toPercentEncoding(assumpte));
    return resultat;
}

} // namespace ModTolvWiz
