#include "documents/generar_doc.h"
#include "documents/EspaiCodi.h"

#include "catalogue/Cataleg.h"
#include "common/BasicRules.h"
#include "common/Fitxers.h"
#include "common/HostProfile.h"
#include "common/ModTraduccion.h"
#include "common/ProgresBar.h"
#include "common/MsgBox.h"
#include "platform/paths/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <map>
#include <vector>

using namespace kovel::word;

namespace generar_doc {

GeneracioError::GeneracioError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message)
{
}

// ---- Options' defaults ----

QString OpcionsGeneracio::programaOffice() const { return ProgramaOffice; }

void OpcionsGeneracio::iniciProgres(std::int32_t passos) { ModTolvWiz::IniciaBarraProgreso(passos); }

void OpcionsGeneracio::avancaProgres() { ModTolvWiz::AvancaBarraProgreso(); }

QString OpcionsGeneracio::carpetaPrograma() const { return kovel::paths::programDir(); }

namespace {

const QString TitolMissatge = QStringLiteral("KOVEL Videvoviv");

QString AmbBarra(QString carpeta)
{
    if (!carpeta.endsWith(QLatin1Char('/')))
        carpeta += QLatin1Char('/');
    return carpeta;
}

} // namespace

QString OpcionsGeneracio::carpetaDades() const
{
    return AmbBarra(CarpetaDades.isEmpty() ? fitxers::CarpetaDadesPerDefecte() : CarpetaDades);
}

namespace {

void AsseguraCarpeta(const QString& carpeta)
{
    if (!QDir().mkpath(carpeta))
        throw GeneracioError(QStringLiteral("The folder \"%1\" cannot be created.").arg(carpeta));
}

// Replaces `desti` by a copy of `origen`; a stale copy is never reused.
void CopiaSobre(const QString& origen, const QString& desti)
{
    if (QFileInfo::exists(desti) && !QFile::remove(desti))
        throw GeneracioError(QStringLiteral("The file \"%1\" cannot be replaced.").arg(desti));
    if (!QFile::copy(origen, desti))
        throw GeneracioError(QStringLiteral("The template \"%1\" cannot be copied to \"%2\".").arg(origen, desti));
    // A template shipped read-only must not make its working copy read-only.
    QFile::setPermissions(desti, QFile::permissions(desti) | QFileDevice::WriteOwner);
}

// The row and column sizes of one word table, 1-based, as the drift correction needs them.
class MidesTaulaWord : public MidesTaula {
public:
    explicit MidesTaulaWord(Table& t) : t_(t) {}
    std::int32_t nombreFiles() const override { return t_.rowCount(); }
    void fixaAlcadaFila(std::int32_t f, float pt) override { t_.rows.at(f - 1).setHeight(Points(pt), HeightRule::Exactly); }
    float alcadaFila(std::int32_t f) const override { return float(t_.rows.at(f - 1).height().value); }
    void fixaAmpladaCella(std::int32_t f, std::int32_t c, float pt) override { t_.cell(f - 1, c - 1).setWidth(Points(pt)); }
    float ampladaCella(std::int32_t f, std::int32_t c) const override { return float(t_.cell(f - 1, c - 1).width().value); }
    void fixaAmpladaColumna(std::int32_t c, float pt) override { t_.setColumnWidth(c - 1, Points(pt)); }
    float ampladaColumna(std::int32_t c) const override { return float(t_.cell(0, c - 1).width().value); }

private:
    Table& t_;
};

ParagraphFormat SenseEspais()
{
    ParagraphFormat f;
    f.spaceBefore = Points(0);
    f.spaceAfter = Points(0);
    return f;
}

// An empty paragraph right after a label table carries the section end or closes the body;
// it gets the smallest font so that it fits in the 0.05 cm the page keeps below the grid
// and never pushes a sheet onto a page of its own.
void EncongeixParagrafsDespresDeTaules(Document& doc)
{
    auto& blocs = doc.body().blocks;
    for (size_t b = 1; b < blocs.size(); ++b) {
        if (!blocs[b].isParagraph() || !blocs[b - 1].isTable())
            continue;
        Paragraph& p = blocs[b].paragraph();
        if (p.length() == 0)
            p.markFormat.size = Points(1);
    }
}

// A paste carries the formatting the text shows, not the defaults of the document it
// came from: every run and paragraph mark gets the source's defaults where it has none.
void ResolFormat(Story& s, const RunFormat& defaults)
{
    auto resol = [&](RunFormat& f) {
        RunFormat r = defaults;
        r.merge(f);
        f = r;
    };
    for (Block& b : s.blocks) {
        if (b.isParagraph()) {
            Paragraph& p = b.paragraph();
            resol(p.markFormat);
            for (Inline& item : p.items) {
                if (auto* run = std::get_if<TextRun>(&item))
                    resol(run->format);
                else if (auto* pic = std::get_if<InlinePicture>(&item))
                    resol(pic->format());
            }
        } else {
            for (Row& row : b.table().rows)
                for (Cell& cell : row.cells)
                    ResolFormat(cell.story, defaults);
        }
    }
}

Story StoryResolta(Document& d)
{
    Story s = d.content().formattedText();
    ResolFormat(s, d.defaultRunFormat());
    return s;
}

// Label cells left empty keep the design's font for what the user may type in them.
void FormatCellesBuides(Document& doc, const RunFormat& font)
{
    for (Block& taula : doc.body().blocks) {
        if (!taula.isTable())
            continue;
        for (Row& row : taula.table().rows)
            for (Cell& cell : row.cells)
                for (Block& b : cell.story.blocks)
                    if (b.isParagraph()) {
                        RunFormat f = font;
                        f.merge(b.paragraph().markFormat);
                        b.paragraph().markFormat = f;
                    }
    }
}

bool EsNumeric(const QString& s)
{
    bool ok = false;
    s.trimmed().toDouble(&ok);
    return ok;
}

std::int32_t LlegeixNumero(const QString& text)
{
    try {
        return kovel::basic::CLng(kovel::basic::Val(text));
    } catch (const kovel::basic::OverflowError&) {
        throw GeneracioError(QStringLiteral("The number in \"%1\" is too large.").arg(text));
    }
}

// The working copy into which the design is pasted for each record: made once per
// generation (the model's blank template read once, or a new document), its content
// replaced for every label. The template's copy TOLV_temp2.docx stays in the tmp folder.
struct CopiaDisseny {
    std::unique_ptr<Document> doc;
    bool plantillaTrobada = false;
};

struct Context {
    Context(OpcionsGeneracio& opcions, MidesFull mides) : o(opcions), m(std::move(mides)) {}
    OpcionsGeneracio& o;
    MidesFull m;
    bool horitzontal = false;
    Story disseny;                                  // the design's main story, without spacer lines
    Paddings margesDisseny;                         // the label cells' paddings in their place
    bool dissenyLlegit = false;
    std::unique_ptr<CopiaDisseny> copia;
    std::map<QString, std::unique_ptr<Document>> caselles;   // cell designs opened, by path
    std::optional<QSizeF> caixaCodis;               // a label's room for its content (points)

    const Story& storyDisseny()
    {
        if (!dissenyLlegit) {
            Document* d = o.dissenyAllotjat();
            if (!d)
                throw GeneracioError(QStringLiteral("There is no label design to generate from."));
            disseny = StoryResolta(*d);
            margesDisseny = MargesDeCella(disseny, d->pageSetup());
            dissenyLlegit = true;
        }
        return disseny;
    }

    // The working copy of the design, opened once per generation: reading the blank
    // template for every label would dominate a large merge.
    CopiaDisseny& ObrirCopiaDisseny()
    {
        if (copia)
            return *copia;
        copia = std::make_unique<CopiaDisseny>();
        const QString nom = NomPlantillaBlanca(m.codi, m.sufix, horitzontal);
        const QString font = CercaPlantilla(o.carpetaPrograma(), nom);
        if (!font.isEmpty()) {
            copia->plantillaTrobada = true;
            const QString tmp = o.carpetaDades() + QStringLiteral("tmp");
            AsseguraCarpeta(tmp);
            const QString desti = tmp + QLatin1Char('/') + NomCopiaDisseny;
            CopiaSobre(font, desti);
            copia->doc = Document::open(desti);
        } else {
            copia->doc = Document::create();
            PreparaPaginaEtiqueta(*copia->doc, m, horitzontal);
            copia->doc->setSaved(true);
        }
        return *copia;
    }
};

// The fills take the page's table itself: looking tables up by number costs a walk of the
// whole document for every label.
void OmplirEtiquetaWord(Context& c, Document& doc, Table& taula, int fila, int columna)
{
    const Story& s = c.storyDisseny();
    Cell& cella = taula.cell(fila - 1, columna - 1);
    FixaMargesCella(cella, c.margesDisseny);
    doc.range(cella.story).setFormattedText(s);
}

void OmplirEtiquetaCasella(Context& c, std::int32_t i, Document& doc, Table& taula, int fila, int columna)
{
    // A cell beyond the designed ones (more labels than cells) is one never designed.
    if (i < 0 || i >= c.o.numCaselles())
        return;
    const QString cami = c.o.nomCasella(i);
    if (cami.isEmpty())
        return;   // a cell never designed stays empty
    auto& obert = c.caselles[cami];
    if (!obert)
        obert = Document::open(cami);
    Cell& cella = taula.cell(fila - 1, columna - 1);
    MargesALinies(cella, *obert);
    Story s = StoryResolta(*obert);
    FixaMargesCella(cella, MargesDeCella(s, obert->pageSetup()));
    doc.range(cella.story).setFormattedText(s);
}

// A spreadsheet row or a database record take the same road: the design into the working
// copy, its placeholders filled, the copy into the cell.
void OmplirEtiquetaFont(Context& c, const ValorsRegistre& valors, Document& doc, Table& taula, int fila, int columna)
{
    CopiaDisseny& copia = c.ObrirCopiaDisseny();
    copia.doc->content().setFormattedText(c.storyDisseny());
    ReemplacaMarcadors(*copia.doc, valors, c.o.codis(), c.caixaCodis);
    Cell& cella = taula.cell(fila - 1, columna - 1);
    FixaMargesCella(cella, c.margesDisseny);
    doc.range(cella.story).setFormattedText(copia.doc->content().formattedText());
}

void OmplirEtiquetaExcel(Context& c, FullDades& full, std::int32_t filaFont, Document& doc, Table& taula, int fila,
                         int columna)
{
    OmplirEtiquetaFont(c, ValorsRegistre{&full, filaFont, nullptr}, doc, taula, fila, columna);
}

void OmplirEtiquetaAccess(Context& c, RegistresDades& rs, Document& doc, Table& taula, int fila, int columna)
{
    OmplirEtiquetaFont(c, ValorsRegistre{nullptr, 0, &rs}, doc, taula, fila, columna);
}

} // namespace

// ---- Catalogue ----

MidesFull MidesDeCatalogo(const Cataleg& cat, int idx)
{
    if (idx < 0 || idx >= cat.Etiquetas.size() || idx >= cat.EtiquetasExt.size())
        throw GeneracioError(QStringLiteral("There is no label format number %1 in the catalogue.").arg(idx));
    const EtiquetaCatalogo& e = cat.Etiquetas.at(idx);
    const EtiquetaExtendida& x = cat.EtiquetasExt.at(idx);
    MidesFull m;
    m.codi = e.Codigo;
    m.sufix = x.Sufix;
    m.amplCm = e.Ancho;
    m.altCm = e.Alto;
    m.margeEsqCm = e.MargenIzquierdo;
    m.margeSupCm = e.MargenSuperior;
    m.pasHorCm = e.PasoHorizontal;
    m.pasVerCm = e.PasoVertical;
    m.files = e.Filas;
    m.columnes = e.Columnas;
    m.holguraHorCm = e.Holgura[0];
    m.holguraVerCm = e.Holgura[1];
    m.margeDretMm = x.MargenDerecho;
    m.margeInfMm = x.MargenInferior;
    return m;
}

// ---- Templates ----

QString DirectoriDocumentsBase(const QString& carpetaPrograma)
{
    const QString d = kovel::paths::findCaseInsensitive(carpetaPrograma, QStringLiteral("documents_base"));
    QDir().mkpath(d);
    return AmbBarra(d);
}

QString CercaPlantilla(const QString& carpetaPrograma, const QString& nom)
{
    const QString cami = kovel::paths::findCaseInsensitive(DirectoriDocumentsBase(carpetaPrograma), nom);
    return QFileInfo(cami).isFile() ? cami : QString();
}

QString DocumentBlancGeneral(const QString& carpetaPrograma)
{
    return kovel::paths::findCaseInsensitive(DirectoriDocumentsBase(carpetaPrograma), NomBlancGeneral);
}

void PreparaPaginaEtiqueta(Document& doc, const MidesFull& m, bool horitzontal)
{
    const PaginaEtiqueta p = CalculaPaginaEtiqueta(m, horitzontal);
    doc.setMirrorMargins(false);
    PageSetup ps = doc.pageSetup();
    ps.setOrientation(horitzontal ? Orientation::Landscape : Orientation::Portrait);
    ps.setTopMargin(Points(p.margeVerPt));
    ps.setBottomMargin(Points(p.margeVerPt));
    ps.setLeftMargin(Points(p.margeHorPt));
    ps.setRightMargin(Points(p.margeHorPt));
    ps.setPageHeight(Points(p.altPt));
    ps.setPageWidth(Points(p.amplePt));
    doc.setPageSetup(ps);
}

DocumentBase PreparaDocumentBase(const MidesFull& m, bool horitzontal, const QString& carpetaPrograma,
                                 const QString& carpetaTmp)
{
    AsseguraCarpeta(carpetaTmp);
    const QString nom = NomPlantillaBlanca(m.codi, m.sufix, horitzontal);
    QString desti = AmbBarra(carpetaTmp) + nom;
    // A copy still held elsewhere cannot be removed: the next numbered name is used.
    for (int i = 0; QFileInfo::exists(desti) && !QFile::remove(desti) && i < 1000; ++i)
        desti = AmbBarra(carpetaTmp) + QString::number(i) + nom;
    DocumentBase base;
    base.cami = desti;
    const QString model = CercaPlantilla(carpetaPrograma, nom);
    if (!model.isEmpty()) {
        CopiaSobre(model, desti);
        base.document = Document::open(desti);
        base.plantillaModel = true;
        return base;
    }
    const QString general = DocumentBlancGeneral(carpetaPrograma);
    if (!QFileInfo(general).isFile())
        throw GeneracioError(QStringLiteral("The blank template \"%1\" is missing.").arg(general));
    CopiaSobre(general, desti);
    base.document = Document::open(desti);
    Document& d = *base.document;
    Range tot = d.content();
    const RunFormat font = tot.font();
    tot.deleteContent();
    RunFormat conserva;
    conserva.fontName = font.fontName;
    conserva.size = font.size;
    d.content().setFont(conserva);
    PreparaPaginaEtiqueta(d, m, horitzontal);
    d.setSaved(true);
    return base;
}

// ---- Output document ----

std::unique_ptr<Document> CreaDocumentSortida(const MidesFull& m, bool horitzontal, OpcionsGeneracio& o)
{
    const QString dades = o.carpetaDades();
    AsseguraCarpeta(dades);
    std::unique_ptr<Document> doc;
    const QString plantilla = CercaPlantilla(o.carpetaPrograma(), NomPlantillaPagina(m.codi, m.sufix, horitzontal));
    if (!plantilla.isEmpty()) {
        // The ready-made sheet keeps its own page set-up.
        const QString copia = dades + NomCopiaPlantilla;
        CopiaSobre(plantilla, copia);
        doc = Document::open(copia);
    } else {
        doc = Document::create();
        const PaginaSortida p = CalculaPaginaSortida(m, horitzontal);
        PageSetup ps = doc->pageSetup();
        ps.setOrientation(horitzontal ? Orientation::Landscape : Orientation::Portrait);
        ps.setHeaderDistance(Points(0));
        ps.setFooterDistance(Points(0));
        ps.setGutter(Points(0));
        ps.setDifferentFirstPageHeaderFooter(false);
        ps.setPageWidth(Points(p.amplePt));
        ps.setPageHeight(Points(p.altPt));
        ps.setLeftMargin(Points(p.margeEsqPt));
        ps.setRightMargin(Points(0));
        ps.setTopMargin(Points(p.margeSupPt));
        ps.setBottomMargin(Points(0));
        doc->setPageSetup(ps);
        // Text without a size of its own is only the paragraphs that close the sheets: the
        // smallest size keeps them within the 0.05 cm below the grid in every word processor.
        RunFormat defaults = doc->defaultRunFormat();
        defaults.size = Points(1);
        doc->setDefaultRunFormat(defaults);
    }
    // The sheets are made to be printed: their codes go as characters of embedded fonts,
    // which the word processor lays out many times faster than a picture a label.
    doc->setPicturesAsGlyphs(true);
    const QString nom = dades + NomDocumentSortida(m.codi, m.sufix, horitzontal);
    // Tried again only while the user asks; giving up is never a success. An answerer
    // that always says OK (no person there) must not keep the program busy for ever.
    for (int intent = 0; intent < 100; ++intent) {
        try {
            doc->saveAs(nom);
            return doc;
        } catch (const WordError&) {
            const std::int16_t r = mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(7030), 1, TitolMissatge);
            if (r == mod_rvtMsgBox::vbCancel || r == mod_rvtMsgBox::vbNo)
                return nullptr;
        }
    }
    return nullptr;
}

// ---- Label table ----

Table& CreaTaulaEtiquetes(Document& doc, const MidesFull& m, const GeometriaTaula& g, std::int32_t pagina)
{
    if (pagina == 1 && doc.tableCount() == 1)
        doc.deleteTable(0);
    Table& t = doc.addTable(doc.selection(), g.filesPagina, g.columnesTaula);
    // The new table's block and the number of tables, in one walk: this runs for every
    // sheet, and each look-up of a table by number is a walk of the whole document.
    Story& historia = *doc.selection().story();
    auto& blocs = historia.blocks;
    int bloc = -1, taules = 0;
    for (int b = 0; b < int(blocs.size()); ++b)
        if (blocs[b].isTable()) {
            ++taules;
            if (&blocs[b].table() == &t)
                bloc = b;
        }
    t.insideBorder = LineStyle::None;
    t.outsideBorder = LineStyle::None;
    const std::int32_t primeraFila = taules == 1 ? (pagina - 1) * g.filesPagina + 1 : 1;
    MidesTaulaWord mides(t);
    FixaAlcadesFiles(mides, m, g, primeraFila);
    FixaAmpladesColumnes(mides, m, g);
    // Only the new table and what follows it are new; earlier pages have their spacing.
    for (int b = bloc; b < int(blocs.size()); ++b) {
        Block& bl = blocs[b];
        if (bl.isParagraph())
            bl.paragraph().format.merge(SenseEspais());
    }
    const Range taula(doc, historia, {bloc, 0}, {bloc, 0});
    Range(taula).setParagraphFormat(SenseEspais());
    t.allowAutoFit = false;
    RunFormat visible;
    visible.hidden = false;
    Range(taula).setFont(visible);
    Range& sel = doc.selection();
    sel = taula;
    sel.collapse(Collapse::End);
    return blocs[bloc].table();
}

void TreuMargesCella(Cell& cell)
{
    cell.setBottomPadding(Points(0));
    cell.setLeftPadding(Points(0));
    cell.setRightPadding(Points(0));
    cell.setTopPadding(Points(0));
}

void TreuMargesTaula(Table& taula, const GeometriaTaula& g, std::int32_t primeraFila)
{
    taula.setLeftPadding(Points(0));
    taula.setRightPadding(Points(0));
    taula.setTopPadding(Points(0));
    taula.setBottomPadding(Points(0));
    for (std::int32_t f = primeraFila; f < primeraFila + g.filesPagina; ++f)
        for (std::int32_t c = 1; c <= g.columnesTaula; ++c)
            TreuMargesCella(taula.cell(f - 1, c - 1));
}

std::int16_t PaginesDarreraSeccio(const Document& doc)
{
    // A section that starts on a page of its own spans what its content spans alone: laid
    // out by itself, so that a document of many sheets is not laid out again for each one.
    const int n = doc.sectionCount();
    const Section* darrera = n > 1 ? &doc.section(n - 1) : nullptr;
    if (!darrera || darrera->start != SectionStart::NextPage)
        return std::int16_t(doc.pagesOfLastSection());
    const auto& blocs = doc.body().blocks;
    int b = int(blocs.size()) - 1;
    while (b >= 0 && !(blocs[b].isParagraph() && blocs[b].paragraph().endsSection()))
        --b;
    auto sola = Document::create();
    sola->setDefaultRunFormat(doc.defaultRunFormat());
    sola->setPageSetup(darrera->pageSetup);
    sola->body().blocks.assign(blocs.begin() + b + 1, blocs.end());
    return std::int16_t(sola->pageCount());
}

// ---- Design margins ----

void MargesALinies(Cell& cell, Document& disseny)
{
    const float t = CentimetersToPoints(0.05f);
    PageSetup ps = disseny.pageSetup();
    const float inf = float(ps.bottomMargin().value), esq = float(ps.leftMargin().value);
    const float dre = float(ps.rightMargin().value), sup = float(ps.topMargin().value);
    for (FloatingLine* l : disseny.floatingLines()) {
        l->allowOverlap = true;
        l->wrap = WrapType::Tight;
    }
    ps.setBottomMargin(Points(0));
    ps.setLeftMargin(Points(0));
    ps.setRightMargin(Points(0));
    ps.setTopMargin(Points(0));
    disseny.setPageSetup(ps);
    const Points W = disseny.pageSetup().pageWidth(), H = disseny.pageSetup().pageHeight();
    auto linia = [&](Points x0, Points y0, Points x1, Points y1, WrapType wrap) -> FloatingLine& {
        FloatingLine& l = disseny.addLine(x0, y0, x1, y1);
        l.transparency = 1.0;
        l.wrap = wrap;
        l.allowOverlap = true;
        return l;
    };
    if (esq > 0)
        linia(Points(0), Points(0), Points(0), H, WrapType::Square).distanceRight = Points(esq - t);
    if (sup > 0)
        linia(Points(0), Points(0), W, Points(0), WrapType::TopAndBottom).distanceBottom = Points(sup - t);
    if (dre > 0)
        linia(W, Points(0), W, H, WrapType::Square).distanceLeft = Points(dre - t);
    if (inf > 0)
        linia(Points(0), H, W, H, WrapType::TopAndBottom).distanceTop = Points(inf - t);
    TreuMargesCella(cell);
    disseny.setSaved(false);
}

Paddings MargesDeCella(Story& story, const PageSetup& pagina)
{
    const double t = CentimetersToPoints(0.05f);
    // Left, top, right, bottom: a margin left in the page set-up keeps the content as its
    // spacer line would.
    double marges[4] = {pagina.leftMargin().value - t, pagina.topMargin().value - t,
                        pagina.rightMargin().value - t, pagina.bottomMargin().value - t};
    const double meitatAmple = pagina.pageWidth().value / 2, meitatAlt = pagina.pageHeight().value / 2;
    // Spacer lines: invisible and straight along an edge, anchored to the design's paragraphs.
    auto costat = [&](const FloatingLine& l) -> std::pair<int, double> {
        if (l.transparency < 1.0)
            return {-1, 0};
        if (l.beginX.value == l.endX.value)
            return l.beginX.value <= meitatAmple ? std::pair{0, l.distanceRight.value} : std::pair{2, l.distanceLeft.value};
        if (l.beginY.value == l.endY.value)
            return l.beginY.value <= meitatAlt ? std::pair{1, l.distanceBottom.value} : std::pair{3, l.distanceTop.value};
        return {-1, 0};
    };
    for (Block& b : story.blocks) {
        if (!b.isParagraph())
            continue;
        std::erase_if(b.paragraph().items, [&](const Inline& item) {
            const auto* l = std::get_if<FloatingLine>(&item);
            if (!l)
                return false;
            const auto [c, distancia] = costat(*l);
            if (c < 0)
                return false;
            marges[c] = std::max(marges[c], distancia);
            return true;
        });
    }
    Paddings p;
    p.left = toTwips(Points(std::max(0.0, marges[0])));
    p.top = toTwips(Points(std::max(0.0, marges[1])));
    p.right = toTwips(Points(std::max(0.0, marges[2])));
    p.bottom = toTwips(Points(std::max(0.0, marges[3])));
    return p;
}

void FixaMargesCella(Cell& cell, const Paddings& marges)
{
    cell.paddings = marges;
}

// ---- Placeholders ----

bool CodisGeneracio::esPlantillaQR(std::int32_t /*n*/, const QString& s) { return EsNumeric(s); }

QString TreuSaltFinal(const QString& text)
{
    qsizetype n = text.size();
    if (n < 2)
        return text;
    while (n > 0 && text.at(n - 1) == QChar(0))
        --n;
    if (n < 2)
        return text;
    if (text.at(n - 2) == QChar(13) && text.at(n - 1) == QChar(10))
        return text.left(n - 2);
    return text;
}

namespace {

// The value of a field for the current record; `retallat` removes one trailing CR LF.
bool Valor(const ValorsRegistre& v, const QString& camp, QString& text)
{
    if (v.full)
        return v.full->contingut(camp, v.fila, text);
    if (v.registres) {
        text = v.registres->contingutCamp(camp);
        return !text.isEmpty();
    }
    throw GeneracioError(QStringLiteral("The label has no record to take \"%1\" from.").arg(camp));
}

CodisGeneracio& Codis(CodisGeneracio* codis, const QString& text)
{
    if (!codis)
        throw GeneracioError(QStringLiteral("The design holds a code (\"%1\") that this run did not make.").arg(text));
    return *codis;
}

// "prefix" & n & "_" & rest: n and rest, or an error naming the picture.
std::pair<std::int32_t, QString> NumeroIResta(const QString& alt, int desDe)
{
    const qsizetype p = alt.indexOf(QLatin1Char('_'), desDe);
    if (p < 0)
        throw GeneracioError(QStringLiteral("The picture \"%1\" of the design names no field.").arg(alt));
    return {LlegeixNumero(alt.mid(desDe, p - desDe)), alt.mid(p + 1)};
}

} // namespace

void ReemplacaMarcadors(Document& copia, const ValorsRegistre& v, CodisGeneracio* codis, const std::optional<QSizeF>& caixa)
{
    const bool full = v.full != nullptr;
    // Pictures made here carry texts no rule matches, so the ids taken first are enough.
    std::vector<std::uint64_t> ids;
    for (InlinePicture* p : copia.inlinePictures())
        ids.push_back(p->id());
    // A data field's placeholder becomes the record's value.
    const auto ompleCamp = [&](std::uint64_t id, const QString& alt) {
        const QString camp = alt.mid(9);
        QString text;
        const bool ok = Valor(v, camp, text);
        Range r = copia.pictureRange(id);
        r.deleteContent();
        if (full) {
            if (ok)
                r.setText(text);
        } else {
            r.insertAfter(text);
        }
    };
    // The fields first: a code's room is what the record's own text leaves it.
    for (std::uint64_t id : ids)
        if (InlinePicture* pic = copia.picture(id); pic && pic->alternativeText().left(9) == QLatin1String("TOLV_camp"))
            ompleCamp(id, pic->alternativeText());
    for (std::uint64_t id : ids) {
        InlinePicture* pic = copia.picture(id);
        if (!pic)
            continue;
        const QString alt = pic->alternativeText();
        if (alt.left(11) == QLatin1String("TOLV_barres")) {
            if (alt.size() <= 11)
                continue;   // a fixed barcode stays as it is
            const auto [n, camp] = NumeroIResta(alt, 12);
            Range r = copia.pictureRange(id);
            r.deleteContent();
            QString valor;
            if (Valor(v, camp, valor)) {
                Codis(codis, alt).espaiCodi(EspaisCodi(copia, r, caixa));
                Codis(codis, alt).inserirCodiBarres(r, n, camp, TreuSaltFinal(valor), QStringLiteral("TOLV_barcode_") + camp);
            }
        } else if (alt.left(7) == QLatin1String("TOLV_qr")) {
            if (alt.size() <= 7)
                continue;   // a fixed QR code stays as it is
            const auto [n, s] = NumeroIResta(alt, 8);
            Range r = copia.pictureRange(id);
            r.deleteContent();
            CodisGeneracio& c = Codis(codis, alt);
            c.codiQRActual(n);
            c.espaiCodi(EspaisCodi(copia, r, caixa));
            if (c.esPlantillaQR(n, s)) {
                // A data template: its "[field]" references take the record's values.
                const QString plantilla = c.plantillaQR(LlegeixNumero(s));
                const QString resultat = c.omplirPlantillaQR(plantilla, [&](const QString& camp) {
                    QString valor;
                    if (!Valor(v, camp, valor))
                        return QString();
                    return full ? TreuSaltFinal(valor) : valor;
                });
                c.inserirCodiQR(r, n, s, c.codificarText(resultat), QStringLiteral("TOLV_QR_") + s);
            } else {
                QString valor;
                if (Valor(v, s, valor)) {
                    const QString dades = c.prefixDadesQR() + c.codificarValorQR(full ? TreuSaltFinal(valor) : valor);
                    c.inserirCodiQR(r, n, s, dades, QStringLiteral("TOLV_QR_") + s);
                }
            }
        }
    }
}

// ---- The driver ----

std::unique_ptr<Document> GeneraDocument(std::int16_t labelNumber, OpcionsGeneracio& o)
{
    if (o.numCaselles() > 1)
        o.desaCasellaActual();
    const int idx = labelNumber == -1 ? o.formatSeleccionat() : labelNumber;
    Context c(o, MidesDeCatalogo(o.cataleg(), idx));
    c.horitzontal = o.horitzontal();
    const MidesFull& m = c.m;
    if (m.files < 1 || m.columnes < 1)
        throw GeneracioError(QStringLiteral("The label format %1 has no labels to lay out.").arg(m.codi));
    const GeometriaTaula g = CalculaGeometria(m);

    using enum kovel::HostOffice;
    const kovel::HostOffice host = o.host();
    if (host == Cap) {
        // The record loop would have no way to end: the generation stops after the message.
        Portapapers::MissatgePopUp(QStringLiteral("Error: we don't know which TOLV Master application are you running. "
                                                  "Please contact TOLV Master Technical Assistance."),
                                   0, QString());
        return nullptr;
    }

    std::int32_t pagines = 1;
    std::int32_t primera = 0, darrera = 0;
    FullDades* full = nullptr;
    std::unique_ptr<RegistresDades> rs;
    bool mesRegistres = true;
    if (host == Excel) {
        primera = LlegeixNumero(o.textFilaInicial());
        darrera = LlegeixNumero(o.textFilaFinal());
        pagines = o.unaEtiquetaPerRegistre() ? (darrera - primera) / g.etiquetesFull + 1 : darrera - primera + 1;
        full = o.fullDades();
        if (!full)
            throw GeneracioError(QStringLiteral("No worksheet is chosen."));
    } else if (host == Access) {
        rs = o.obreRegistres();
        if (!rs)
            throw GeneracioError(QStringLiteral("No table or query is chosen."));
        mesRegistres = !rs->eof();
        if (mesRegistres) {
            rs->moveLast();
            rs->moveFirst();
            const std::int32_t registres = rs->recordCount();
            pagines = o.unaEtiquetaPerRegistre() ? (registres - 1) / g.etiquetesFull + 1 : registres;
        }
    }

    // A mistyped row range must not exhaust the machine: as many sheets as the 16-bit
    // progress count holds.
    if (pagines > 32767)
        throw GeneracioError(QStringLiteral("The records need %1 sheets; one document holds at most 32767.").arg(pagines));
    o.iniciProgres(pagines);
    o.avancaProgres();

    std::unique_ptr<Document> doc = CreaDocumentSortida(m, c.horitzontal, o);
    if (!doc)
        return nullptr;

    c.caixaCodis = CaixaEtiqueta(m, o.dissenyAllotjat());
    Table* t1 = &CreaTaulaEtiquetes(*doc, m, g, 1);
    if (Document* disseny = o.dissenyAllotjat()) {
        MargesALinies(t1->cell(0, 0), *disseny);
    }
    // Every label cell of the first sheet loses its paddings too, as those of later sheets
    // do, so that no label of the first sheet sits off its place.
    TreuMargesTaula(*t1, g, 1);
    std::int32_t primeraFilaPagina = 1;
    for (std::int32_t p = 2; p <= pagines; ++p) {
        o.avancaProgres();
        // The selection stands right after the last sheet's table, where the table left it.
        Range& sel = doc->selection();
        sel.insertBreak(PaginesDarreraSeccio(*doc) < p ? BreakType::SectionNextPage : BreakType::SectionContinuous);
        Table& t = CreaTaulaEtiquetes(*doc, m, g, p);
        if (doc->tableCount() == 1)
            primeraFilaPagina += g.filesPagina;
        TreuMargesTaula(t, g, primeraFilaPagina);
    }
    EncongeixParagrafsDespresDeTaules(*doc);
    if (Document* disseny = o.dissenyAllotjat()) {
        RunFormat font;
        font.fontName = disseny->defaultRunFormat().fontName;
        font.size = disseny->defaultRunFormat().size;
        FormatCellesBuides(*doc, font);
    }

    // The tables stay where they are while the labels are filled: found once.
    std::vector<Table*> taules;
    for (Block& b : doc->body().blocks)
        if (b.isTable())
            taules.push_back(&b.table());
    const std::int32_t nombreTaules = std::int32_t(taules.size());

    // Record loop: label cells row by row, left to right, sheet after sheet.
    std::int32_t taula = 1, fila = 1, columna = 1;
    std::int32_t etiquetesFila = 0, filesFetes = 0, comptadorCasella = 0;
    std::int32_t filaFont = primera;
    std::int32_t registre = 1;
    std::int32_t etiquetes = 0;   // labels filled, for the place the closing messages name
    const bool perCasella = o.numCaselles() > 1;
    CodisGeneracio* codis = o.codis();
    if (codis)
        codis->iniciGeneracio();
    while (mesRegistres) {
        if (codis && host != Word) {
            const std::int32_t n = etiquetes++, porFull = std::max<std::int32_t>(1, g.etiquetesFull);
            codis->registreActual(host == Excel ? filaFont : registre, host == Excel, n / porFull + 1,
                                  o.unaEtiquetaPerRegistre() ? n % porFull + 1 : 0);
        }
        if (perCasella)
            OmplirEtiquetaCasella(c, comptadorCasella++, *doc, *taules[taula - 1], fila, columna);
        else if (host == Word)
            OmplirEtiquetaWord(c, *doc, *taules[taula - 1], fila, columna);
        else if (host == Excel)
            OmplirEtiquetaExcel(c, *full, filaFont, *doc, *taules[taula - 1], fila, columna);
        else
            OmplirEtiquetaAccess(c, *rs, *doc, *taules[taula - 1], fila, columna);

        bool avanca = o.unaEtiquetaPerRegistre();
        if (++etiquetesFila == m.columnes) {
            etiquetesFila = 0;
            ++filesFetes;
            columna = 1;
            if (filesFetes == m.files) {
                avanca = true;
                filesFetes = 0;
                if (nombreTaules > 1) {
                    fila = 1;
                    ++taula;
                } else {
                    if (host == Word)
                        ++taula;
                    ++fila;
                }
            } else {
                fila += g.pasFila;
            }
        } else {
            columna += g.pasColumna;
        }
        if (avanca) {
            if (host == Word) {
                mesRegistres = taula == 1;
            } else if (host == Excel) {
                ++filaFont;
                mesRegistres = filaFont <= darrera;
            } else {
                rs->moveNext();
                ++registre;
                mesRegistres = !rs->eof();
            }
        }
        // A table ran out (fewer sheets than the records need): nothing more can be placed.
        if (mesRegistres && taula > nombreTaules)
            throw GeneracioError(QStringLiteral("The records need more sheets than the document holds."));
    }

    if (codis)
        codis->finalGeneracio();
    doc->content().setParagraphFormat(SenseEspais());
    return doc;
}

// ---------------------------------------------------------------------------------------------
// The header row of a worksheet

namespace {

// Enough rows to tell a column's kind; a worksheet of a million rows reads no more.
constexpr std::int32_t FilesMostra = 50;

bool EsNombre(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    t.toDouble(&ok);
    if (!ok)
        QLocale::system().toDouble(t, &ok);
    return ok;
}

} // namespace

bool FilaCapcalera(FullDades& full, const QStringList& columnes, std::int32_t fila, std::int32_t ultima)
{
    if (fila < 1 || ultima <= fila)
        return false;
    const std::int32_t fins = std::min(ultima, fila + FilesMostra);
    bool capcalera = false;
    for (const QString& columna : columnes) {
        QString cap;
        if (!full.contingut(columna, fila, cap))
            continue;
        QStringList valors;
        for (std::int32_t f = fila + 1; f <= fins; ++f) {
            QString v;
            if (full.contingut(columna, f, v))
                valors << v;
        }
        if (valors.isEmpty())
            continue;
        const bool nombres = std::all_of(valors.cbegin(), valors.cend(), EsNombre);
        if (nombres && EsNombre(cap))
            return false;   // a number over numbers: a record like the others
        const qsizetype llargada = valors.first().size();
        const bool mateixaLlargada = std::all_of(valors.cbegin(), valors.cend(),
                                                 [llargada](const QString& v) { return v.size() == llargada; });
        // Two values of one length may be chance; three say something.
        if (nombres || (valors.size() >= 3 && mateixaLlargada && cap.size() != llargada))
            capcalera = true;
    }
    return capcalera;
}

} // namespace generar_doc
