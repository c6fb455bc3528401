#pragma once
// The banner's page as untrusted text, before any document parser sees it: one linear pass
// that counts elements, nesting and text against a budget and finds the page's frames and
// pictures; the frames put into the page; the addresses a banner may fetch; e-mail links
// cut down to an address and a subject.
#include <QHash>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>
#include <vector>

namespace ModTolvWiz {

// What a banner page may hold to be shown. Layout time grows fast with nested tables
// (about 4 s at 16 levels, 80 s at 20) and with the number of cells, so the budget is set
// well inside what lays out in a few hundred milliseconds.
struct PressupostPagina {
    int elements = 1500;     // opening tags
    int profunditat = 32;    // elements open one inside another
    int taulesNiuades = 3;   // tables open one inside another
    qsizetype text = 32000;  // characters outside tags
    qsizetype estil = 16000; // characters of style sheets and style attributes
};

struct RecursHTML {
    enum class Tipus { Marc, Imatge };
    Tipus tipus = Tipus::Imatge;
    QString valor;                   // as written, "&amp;" read as "&", trimmed
    qsizetype inici = 0, fi = 0;     // where the value stands in the text
};

struct EscaneigHTML {
    bool dinsPressupost = true;
    QString motiu;                   // what went over the budget
    int elements = 0, profunditat = 0, taulesNiuades = 0;
    qsizetype text = 0, estil = 0;
    // Frames (frame and iframe src) and pictures (img src; background of body, table, td,
    // th), in the page's order.
    std::vector<RecursHTML> recursos;
    struct MarcInline {
        qsizetype inici = 0, fi = 0;  // the whole <iframe ...>...</iframe>
        QString src;
    };
    std::vector<MarcInline> iframes;
    bool frameset = false;
    qsizetype cosInici = -1, cosFi = -1;  // what lies between <body ...> and </body>
};

// Stops at the first thing over the budget (dinsPressupost false, the counts as far as it went).
EscaneigHTML EscanejarHTML(QStringView html, const PressupostPagina& pressupost = {});

// What lies between <body> and </body>, or the whole text when it has no body.
QString CosHTML(const QString& html, const EscaneigHTML& escaneig);

// The frame and picture addresses of `html` made absolute against `base`, so that a frame's
// pictures still lead to it once its body stands in the top page.
QString AbsolutitzarRecursos(const QString& html, const EscaneigHTML& escaneig, const QUrl& base);

// The page to show: a frameset shows its frames' bodies one after the other (`marcs` in the
// page's order), an inline frame shows its page's body in its place; `cossos` holds the
// bodies of the frames that arrived.
QString ComposarPagina(const QString& html, const EscaneigHTML& escaneig, const QUrl& base, const std::vector<QUrl>& marcs,
                       const QHash<QUrl, QString>& cossos);

// An http(s) address with a host.
bool EsAdrecaWeb(const QUrl& url);
// An http(s) address of the same server (scheme, host and port) as `pagina`.
bool MateixServidor(const QUrl& url, const QUrl& pagina);

// A mailto: link reduced to its first address and its subject ("mailto:a@b.example" or
// "mailto:a@b.example?subject=..."); nothing when it names no plain address.
std::optional<QString> MailtoSegur(const QUrl& url);

} // namespace ModTolvWiz
