#include "platform/docframe/Pont.h"

#include "platform/docframe/DibuixVectorial.h"
#include "platform/imatges/LecturaImatge.h"

#include <QAbstractTextDocumentLayout>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>

namespace kovel::docframe {

namespace {

// Where the editor's formats remember the model's objects they stand for.
enum Propietat {
    PropParagraf = QTextFormat::UserProperty + 1,
    PropTaula,
    PropImatge,
    PropOcult,
};

constexpr char16_t SaltLinia = 0x0B; // the model's manual line break

Qt::Alignment AlineacioQt(word::Alignment a)
{
    switch (a) {
    case word::Alignment::Centre: return Qt::AlignHCenter;
    case word::Alignment::Right: return Qt::AlignRight;
    case word::Alignment::Justify: return Qt::AlignJustify;
    case word::Alignment::Left: break;
    }
    return Qt::AlignLeft;
}

word::Alignment AlineacioModel(Qt::Alignment a)
{
    if (a & Qt::AlignHCenter)
        return word::Alignment::Centre;
    if (a & Qt::AlignRight)
        return word::Alignment::Right;
    if (a & Qt::AlignJustify)
        return word::Alignment::Justify;
    return word::Alignment::Left;
}

void AfegeixText(word::Paragraph& p, QString text, const word::RunFormat& f)
{
    text.replace(QChar::LineSeparator, QChar(SaltLinia));
    if (!p.items.empty())
        if (auto* anterior = std::get_if<word::TextRun>(&p.items.back()); anterior && anterior->format == f) {
            anterior->text += text;
            return;
        }
    p.items.emplace_back(word::TextRun{text, f});
}

// A picture the editor cannot draw (a vector picture of another program): a light box of its size that says
// what it is, so the design shows where it stands; the picture itself is kept as it is.
QImage Substitut(const word::InlinePicture& p)
{
    const QSize mida(std::clamp(int(PxDePunts(p.width())), 8, 2000), std::clamp(int(PxDePunts(p.height())), 8, 2000));
    QImage img(mida, QImage::Format_RGB32);
    img.fill(QColor(244, 246, 248));
    QPainter pintor(&img);
    pintor.setPen(QColor(120, 130, 140));
    pintor.drawRect(img.rect().adjusted(0, 0, -1, -1));
    const QString alt = p.alternativeText();
    QString text = alt;
    if (alt.startsWith(QLatin1String("TOLV_barres")))
        text = QStringLiteral("||| barcode");
    else if (alt.startsWith(QLatin1String("TOLV_qr")))
        text = QStringLiteral("QR code");
    QFont f = pintor.font();
    f.setPixelSize(std::clamp(mida.height() / 4, 7, 14));
    pintor.setFont(f);
    pintor.drawText(img.rect(), Qt::AlignCenter | Qt::TextWordWrap, text);
    return img;
}

} // namespace

QTextCharFormat FormatCaracter(const word::RunFormat& f)
{
    QTextCharFormat c;
    if (f.fontName)
        c.setFontFamilies(QStringList{*f.fontName});
    if (f.size)
        c.setFontPointSize(f.size->value);
    if (f.bold)
        c.setFontWeight(*f.bold ? QFont::Bold : QFont::Normal);
    if (f.italic)
        c.setFontItalic(*f.italic);
    if (f.underline)
        c.setFontUnderline(*f.underline);
    if (f.colour)
        c.setForeground(QColor(QRgb(*f.colour)));
    if (f.hidden)
        c.setProperty(PropOcult, *f.hidden);
    return c;
}

word::RunFormat FormatRun(const QTextCharFormat& c)
{
    word::RunFormat f;
    if (c.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = c.fontFamilies().toStringList();
        if (!families.isEmpty())
            f.fontName = families.front();
    }
    if (c.hasProperty(QTextFormat::FontPointSize))
        f.size = word::Points(c.fontPointSize());
    if (c.hasProperty(QTextFormat::FontWeight))
        f.bold = c.fontWeight() >= QFont::DemiBold;
    if (c.hasProperty(QTextFormat::FontItalic))
        f.italic = c.fontItalic();
    if (c.hasProperty(QTextFormat::TextUnderlineStyle))
        f.underline = c.fontUnderline();
    if (c.hasProperty(QTextFormat::ForegroundBrush))
        f.colour = c.foreground().color().rgb() & 0xFFFFFFu;
    if (c.hasProperty(PropOcult))
        f.hidden = c.boolProperty(PropOcult);
    return f;
}

int Pont::Pagines(const QTextDocument& text) const
{
    if (!original_)
        return 0;
    // The editor lays the text out in one long page; a copy is paged at the label's size, its
    // pictures at the sizes the editor shows.
    DibuixImatges imatges(*this, nullptr);
    struct Origen {
        const QTextDocument*& origen;
        ~Origen() { origen = nullptr; }
    } origen{origen_ = &text};
    std::unique_ptr<QTextDocument> copia(text.clone());
    copia->documentLayout()->registerHandler(QTextFormat::ImageObject, &imatges);
    copia->setDocumentMargin(0);
    copia->rootFrame()->setFrameFormat(text.rootFrame()->frameFormat());
    copia->setPageSize(MidaPagina(original_->pageSetup()));
    return copia->pageCount();
}

QSizeF Pont::MidaPagina(const word::PageSetup& ps)
{
    return QSizeF(PxDePunts(ps.pageWidth()), PxDePunts(ps.pageHeight()));
}

// The pictures asked of workers, by key: on their way (none yet) or come. What comes for a
// key no longer asked for, or for a document loaded before, is dropped; what is come and not
// taken is held within the document's pixels, the oldest giving way.
struct Pont::Arribades {
    std::mutex mutex;
    quint64 generacio = 0;
    QHash<QByteArray, std::optional<Arribada>> encarrecs;
    std::deque<QByteArray> vingudes; // oldest first
    qint64 pixels = 0;
    QObject* receptor = nullptr;     // null once the bridge is gone
};

Pont::Pont() : arribades_(std::make_shared<Arribades>()), receptor_(std::make_unique<QObject>())
{
    arribades_->receptor = receptor_.get();
}

Pont::~Pont()
{
    // Workers may still end after the bridge: their pictures are dropped from then on.
    std::lock_guard<std::mutex> l(arribades_->mutex);
    arribades_->receptor = nullptr;
}

void Pont::Carrega(const word::Document& doc, QTextDocument& text)
{
    original_ = doc.clone();
    vistes_.clear();
    decodificades_.clear();
    claus_.clear();
    refusades_.clear();
    {
        std::lock_guard<std::mutex> l(arribades_->mutex);
        ++arribades_->generacio;
        arribades_->encarrecs.clear();
        arribades_->vingudes.clear();
        arribades_->pixels = 0;
    }
    pixels_ = 0;
    esperat_ = 0;
    avisat_ = false;
    mides_ = {};
    paragrafs_.clear();
    taules_.clear();
    imatges_.clear();
    text.clear();
    text.setDocumentMargin(0);
    const word::PageSetup& ps = doc.pageSetup();
    QTextFrameFormat rf = text.rootFrame()->frameFormat();
    rf.setLeftMargin(PxDePunts(ps.leftMargin() + ps.gutter()));
    rf.setRightMargin(PxDePunts(ps.rightMargin()));
    rf.setTopMargin(PxDePunts(ps.topMargin()));
    rf.setBottomMargin(PxDePunts(ps.bottomMargin()));
    text.rootFrame()->setFrameFormat(rf);
    text.setPageSize(MidaPagina(ps));
    const word::RunFormat& def = doc.defaultRunFormat();
    QFont font = text.defaultFont();
    if (def.fontName)
        font.setFamilies({*def.fontName});
    if (def.size && def.size->value > 0)
        font.setPointSizeF(def.size->value);
    text.setDefaultFont(font);

    QTextCursor c(&text);
    c.beginEditBlock();
    carregaStory(c, text, doc.body());
    c.endEditBlock();
    text.clearUndoRedoStacks();
    text.setModified(false);
}

void Pont::carregaStory(QTextCursor& c, QTextDocument& text, const word::Story& story)
{
    bool primer = true;
    for (const word::Block& b : story.blocks) {
        if (b.isParagraph()) {
            carregaParagraf(c, text, b.paragraph(), primer);
            primer = false;
            continue;
        }
        const word::Table& t = b.table();
        int columnes = 0;
        for (const word::Row& r : t.rows)
            columnes = std::max(columnes, int(r.cells.size()));
        if (t.rows.empty() || columnes == 0)
            continue;
        QTextTableFormat tf;
        tf.setProperty(PropTaula, int(taules_.size()));
        taules_.push_back(t);
        tf.setBorder(t.outsideBorder == word::LineStyle::None ? 0 : 1);
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setCellSpacing(0);
        tf.setCellPadding(PxDePunts(word::toPoints(t.defaultPaddings.left.value_or(word::Twips(108)))));
        QList<QTextLength> amples;
        for (const word::Cell& cell : t.rows.front().cells)
            amples << QTextLength(QTextLength::FixedLength, PxDePunts(cell.width()));
        if (amples.size() == columnes)
            tf.setColumnWidthConstraints(amples);
        QTextTable* taula = c.insertTable(int(t.rows.size()), columnes, tf);
        for (int r = 0; r < int(t.rows.size()); ++r)
            for (int k = 0; k < int(t.rows[r].cells.size()); ++k) {
                QTextCursor cc = taula->cellAt(r, k).firstCursorPosition();
                carregaStory(cc, text, t.rows[r].cells[k].story);
            }
        // The block after the table holds the next paragraph.
        c = taula->lastCursorPosition();
        c.movePosition(QTextCursor::NextBlock);
        primer = true;
    }
}

void Pont::carregaParagraf(QTextCursor& c, QTextDocument& text, const word::Paragraph& p, bool primer)
{
    QTextBlockFormat bf;
    if (p.format.alignment)
        bf.setAlignment(AlineacioQt(*p.format.alignment));
    if (p.format.spaceBefore)
        bf.setTopMargin(PxDePunts(*p.format.spaceBefore));
    if (p.format.spaceAfter)
        bf.setBottomMargin(PxDePunts(*p.format.spaceAfter));
    bf.setProperty(PropParagraf, int(paragrafs_.size()));
    paragrafs_.push_back(p);
    const QTextCharFormat marca = FormatCaracter(p.markFormat);
    if (primer) {
        c.setBlockFormat(bf);
        c.setBlockCharFormat(marca);
    } else {
        c.insertBlock(bf, marca);
    }
    for (const word::Inline& item : p.items) {
        if (const auto* run = std::get_if<word::TextRun>(&item)) {
            QString t = run->text;
            t.replace(QChar(SaltLinia), QChar::LineSeparator);
            c.insertText(t, FormatCaracter(run->format));
        } else if (const auto* pic = std::get_if<word::InlinePicture>(&item)) {
            c.insertImage(FormatImatge(text, *pic));
        }
        // Floating lines are not shown; the paragraph's original keeps them.
    }
}

namespace {

QByteArray Clau(const QByteArray& clau, QSize pixels)
{
    return clau + '@' + QByteArray::number(pixels.width()) + 'x' + QByteArray::number(pixels.height());
}

} // namespace

bool Pont::capAlDocument(QSize pixels, const QByteArray& dibuixant) const
{
    const qint64 n = qint64(pixels.width()) * pixels.height();
    if (pixels_ + n > PixelsDocument)
        alliberaVistes(dibuixant);
    if (pixels_ + n > PixelsDocument)
        return false;
    pixels_ += n;
    return true;
}

// Drawings no longer shown, so that a zoom or size the window takes counts only once: every
// other size of the picture `dibuixant` is drawn at anew, and of every other picture all but
// the size it was last shown at. What the paint under way shows stays: drawn again, it would
// ask for that paint again.
void Pont::alliberaVistes(const QByteArray& dibuixant) const
{
    QHash<QByteArray, quint64> darrer;
    for (const VistaDesada& v : std::as_const(vistes_))
        if (v.pixels)
            darrer[v.contingut] = std::max(darrer.value(v.contingut), v.us);
    for (auto it = vistes_.begin(); it != vistes_.end();) {
        if (it->pixels && it->us < iniciPintat_ && (it->contingut == dibuixant || it->us < darrer.value(it->contingut))) {
            pixels_ -= it->pixels;
            it = vistes_.erase(it);
        } else {
            ++it;
        }
    }
}

void Pont::superat() const
{
    if (std::exchange(avisat_, true) || !avis_)
        return;
    avis_(QStringLiteral("Some pictures of this document ask for too much drawing, or the document has too many: "
                         "they show as boxes. The document itself keeps them as they are."));
}

QImage Pont::substitut(const word::InlinePicture& p)
{
    // A box per size and label, whatever the number of pictures.
    const QByteArray clau = "box:" + p.alternativeText().toUtf8() + Clau({}, QSize(int(p.width().value), int(p.height().value)));
    if (const auto it = decodificades_.constFind(clau); it != decodificades_.constEnd())
        return *it;
    const QImage img = Substitut(p);
    decodificades_.insert(clau, img);
    return img;
}

// What is known of the picture asked for `clau`: nothing (none was asked, or what came was
// dropped), on its way, or come; then it is handed over, once.
Pont::Encarrec Pont::pren(const QByteArray& clau, Arribada& a) const
{
    std::lock_guard<std::mutex> l(arribades_->mutex);
    const auto it = arribades_->encarrecs.find(clau);
    if (it == arribades_->encarrecs.end())
        return Encarrec::Cap;
    if (!*it)
        return Encarrec::EnCami;
    a = std::move(**it);
    arribades_->encarrecs.erase(it);
    arribades_->pixels -= qint64(a.img.width()) * a.img.height();
    auto& v = arribades_->vingudes;
    v.erase(std::find(v.begin(), v.end(), clau));
    return Encarrec::Vingut;
}

// Asked before the worker starts, so that a picture given at once is not dropped; forgotten
// when the worker was not left running (once it is, what it gives may already be there).
void Pont::encarrega(const QByteArray& clau) const
{
    std::lock_guard<std::mutex> l(arribades_->mutex);
    arribades_->encarrecs.insert(clau, std::nullopt);
}

void Pont::oblida(const QByteArray& clau) const
{
    std::lock_guard<std::mutex> l(arribades_->mutex);
    arribades_->encarrecs.remove(clau);
}

// Called on the worker's thread: the picture is kept for the next Vista, and the window is
// told on its own thread, while this bridge lives.
std::function<void(QImage)> Pont::lliurament(const QByteArray& clau, std::function<bool()> massa) const
{
    return [a = arribades_, generacio = arribades_->generacio, clau, massa = std::move(massa), this](QImage img) {
        std::lock_guard<std::mutex> l(a->mutex);
        const auto it = a->encarrecs.constFind(clau);
        if (!a->receptor || a->generacio != generacio || it == a->encarrecs.constEnd() || *it)
            return;
        // Erasing moves what the hash holds: the picture's place is found again after.
        const qint64 n = qint64(img.width()) * img.height();
        while (a->pixels + n > PixelsDocument && !a->vingudes.empty()) {
            if (const auto vella = a->encarrecs.find(a->vingudes.front()); vella != a->encarrecs.end()) {
                a->pixels -= qint64((*vella)->img.width()) * (*vella)->img.height();
                a->encarrecs.erase(vella);
            }
            a->vingudes.pop_front();
        }
        a->encarrecs[clau] = Arribada{std::move(img), massa && massa()};
        a->vingudes.push_back(clau);
        a->pixels += n;
        QMetaObject::invokeMethod(
            a->receptor,
            [this] {
                if (arribada_)
                    arribada_();
            },
            Qt::QueuedConnection);
    };
}

// No worker was free: the window is asked to paint again a little later, once.
void Pont::reintenta() const
{
    if (std::exchange(reintent_, true))
        return;
    QTimer::singleShot(100, receptor_.get(), [this] {
        reintent_ = false;
        if (arribada_)
            arribada_();
    });
}

// The pictures of one paint together may hold the window for the picture time, no longer.
void Pont::IniciPintat() const
{
    esperatPintat_ = 0;
    iniciAnterior_ = iniciPintat_;
    iniciPintat_ = usos_ + 1;
    pintat_.start();
}

void Pont::comencaVista() const
{
    if (!pintat_.isValid() || pintat_.elapsed() > 100)
        IniciPintat();
}

int Pont::esperaPermesa() const { return int(std::max<qint64>(0, tempsImatge_ - esperatPintat_)); }

// The picture's structure is walked and its work counted before the decoder sees it; the
// decoder runs on a worker, waited for no longer than `espera`. A picture refused is not
// tried again; one not done in time comes later (pren), one for which no worker was free is
// tried again when next shown. Null until then.
QImage Pont::decodifica(const QByteArray& bytes, const QByteArray& contingut, int espera) const
{
    const QByteArray clau = "png:" + contingut;
    const auto refusa = [&](bool superada) {
        refusades_.insert(contingut);
        if (superada)
            superat();
        return QImage();
    };
    Arribada arribada;
    const Encarrec encarrec = pren(clau, arribada);
    if (encarrec == Encarrec::EnCami)
        return {};
    const imatges::Examen e = imatges::Examina(bytes);
    if (!e.admesa())
        return refusa(e.superat);
    if (!capAlDocument(e.mida))
        return refusa(true);
    const qint64 n = qint64(e.mida.width()) * e.mida.height();
    QImage img;
    if (encarrec == Encarrec::Vingut) {
        img = std::move(arribada.img);
    } else {
        QElapsedTimer rellotge;
        rellotge.start();
        encarrega(clau);
        imatges::Espera r = imatges::AmbTempsLimit([e] { return imatges::Decodifica(e); }, espera, lliurament(clau));
        if (!r.enCurs)
            oblida(clau);
        esperat_ += rellotge.elapsed();
        if (!r.imatge) {
            // Counted again when it comes.
            pixels_ -= n;
            if (!r.enCurs)
                reintenta();
            return {};
        }
        img = std::move(*r.imatge);
    }
    if (img.isNull()) {
        pixels_ -= n;
        return refusa(false);
    }
    decodificades_.insert(clau, img);
    return img;
}

QTextImageFormat Pont::FormatImatge(QTextDocument& text, const word::InlinePicture& picture)
{
    const int index = int(imatges_.size());
    imatges_.push_back(picture);
    claus_.push_back(QCryptographicHash::hash(picture.png(), QCryptographicHash::Sha1));
    const QString nom = QStringLiteral("kovel-imatge:%1").arg(index);
    // A picture from a file is decoded once however often it is placed, and only when its
    // size fits what is left of the document's budget. A vector picture is drawn only when
    // it is shown (Vista); until then, and when it cannot be, its box stands for it.
    QImage img;
    if (!picture.isVector()) {
        if (const auto it = decodificades_.constFind("png:" + claus_.back()); it != decodificades_.constEnd())
            img = *it;
        else if (!refusades_.contains(claus_.back()))
            img = decodifica(picture.png(), claus_.back(), int(std::clamp<qint64>(TempsDocumentMs - esperat_, 0, tempsImatge_)));
    }
    if (img.isNull())
        img = substitut(picture);
    text.addResource(QTextDocument::ImageResource, QUrl(nom), img);
    QTextImageFormat f;
    f.merge(FormatCaracter(picture.format()));
    f.setName(nom);
    f.setWidth(PxDePunts(picture.width()));
    f.setHeight(PxDePunts(picture.height()));
    f.setProperty(PropImatge, index);
    return f;
}

QImage Pont::Vista(const QTextImageFormat& f, const QTextDocument& text, QSize pixels) const
{
    comencaVista();
    struct Fi {
        QElapsedTimer& t;
        ~Fi() { t.start(); }
    } fi{pintat_};
    const word::InlinePicture* p = Imatge(f);
    const int i = p ? f.intProperty(PropImatge) : -1;
    const QByteArray clau = i >= 0 ? Clau(claus_[std::size_t(i)], pixels) : Clau(f.name().toUtf8(), pixels);
    if (auto it = vistes_.find(clau); it != vistes_.end()) {
        it->us = ++usos_;
        return it->img;
    }
    // The pictures of one design at one or two zooms; a long session does not grow it. What
    // this paint or the last showed stays: drawn again, it would ask for another paint, and
    // that one for another. A paint of more pictures than are kept shows the rest as boxes.
    if (vistes_.size() >= 256) {
        for (auto it = vistes_.begin(); it != vistes_.end();) {
            if (it->us < iniciAnterior_) {
                pixels_ -= it->pixels;
                it = vistes_.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (vistes_.size() >= VistesMaximes) {
        superat();
        return text.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    }
    VistaDesada v;
    v.us = ++usos_;
    bool provisional = false; // its box stands in until the picture comes: not kept
    if (p && (p->isVector() || p->glyphOutline())) {
        v.contingut = claus_[std::size_t(i)];
        Arribada arribada;
        Encarrec encarrec = pren(clau, arribada);
        if (encarrec == Encarrec::EnCami) {
            provisional = true;
        } else if (capAlDocument(pixels, v.contingut)) {
            v.pixels = qint64(pixels.width()) * pixels.height();
            if (encarrec == Encarrec::Cap) {
                // Drawn on a worker, waited for while the paint's time lasts.
                auto superada = std::make_shared<std::atomic<bool>>(false);
                QElapsedTimer rellotge;
                rellotge.start();
                encarrega(clau);
                imatges::Espera r = imatges::AmbTempsLimit(
                    [picture = *p, pixels, superada] {
                        bool m = false;
                        QImage img = DibuixaVectorial(picture, pixels, &m);
                        *superada = m;
                        return img;
                    },
                    esperaPermesa(), lliurament(clau, [superada] { return bool(*superada); }));
                if (!r.enCurs)
                    oblida(clau);
                esperatPintat_ += rellotge.elapsed();
                if (r.imatge) {
                    arribada = Arribada{std::move(*r.imatge), *superada};
                    encarrec = Encarrec::Vingut;
                } else if (!r.enCurs) {
                    reintenta();
                }
                provisional = encarrec != Encarrec::Vingut;
            }
            if (encarrec == Encarrec::Vingut) {
                v.img = std::move(arribada.img);
                if (arribada.massa)
                    superat();
            }
            if (v.img.isNull()) {
                pixels_ -= v.pixels;
                v.pixels = 0;
            }
        } else {
            superat();
        }
    } else if (p) {
        const QByteArray contingut = claus_[std::size_t(i)];
        if (const auto it = decodificades_.constFind("png:" + contingut); it != decodificades_.constEnd())
            v.img = *it;
        else if (!refusades_.contains(contingut)) {
            QElapsedTimer rellotge;
            rellotge.start();
            v.img = decodifica(p->png(), contingut, esperaPermesa());
            esperatPintat_ += rellotge.elapsed();
            provisional = v.img.isNull() && !refusades_.contains(contingut);
        }
    }
    if (v.img.isNull())
        v.img = text.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    if (provisional)
        ++provisionals_;
    else
        vistes_.insert(clau, v);
    return v.img;
}

std::optional<QSizeF> Pont::MidaDisposada(const QTextDocument& text, int posicio) const
{
    if (!midaImatge_)
        return std::nullopt;
    // Its place among the pictures, as the document rebuilt from the editor holds them.
    std::size_t index = 0;
    for (QTextBlock b = text.begin(); b.isValid() && b.position() <= posicio; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (frag.position() >= posicio)
                break;
            if (frag.charFormat().isImageFormat())
                index += std::size_t(std::min(frag.length(), posicio - frag.position()));
        }
    // A layout asks for every picture, and more than once: the document is rebuilt once an
    // edit, each picture's size found once. A paged copy's pictures stand where the original's do.
    const QTextDocument& font = origen_ ? *origen_ : text;
    if (mides_.text != &font || mides_.revisio != font.revision() || !mides_.model) {
        mides_.text = &font;
        mides_.revisio = font.revision();
        mides_.model = Document(font);
        mides_.mides.assign(mides_.model->inlinePictures().size(), std::nullopt);
    }
    if (index >= mides_.mides.size())
        return std::nullopt;
    if (!mides_.mides[index])
        mides_.mides[index] = midaImatge_(*mides_.model, index);
    const std::optional<QSizeF>& mida = *mides_.mides[index];
    if (!mida)
        return std::nullopt;
    return QSizeF(PxDePunts(word::Points(mida->width())), PxDePunts(word::Points(mida->height())));
}

QSizeF DibuixImatges::intrinsicSize(QTextDocument* doc, int posicio, const QTextFormat& format)
{
    const QTextImageFormat f = format.toImageFormat();
    if (pont_.Imatge(f))
        if (const std::optional<QSizeF> mida = pont_.MidaDisposada(*doc, posicio))
            return *mida;
    QSizeF mida(f.width(), f.height());
    if (mida.width() > 0 && mida.height() > 0)
        return mida;
    const QImage img = doc->resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
    if (img.isNull())
        return QSizeF(std::max(mida.width(), 16.0), std::max(mida.height(), 16.0));
    const QSizeF propia = img.size();
    if (mida.width() > 0)
        return QSizeF(mida.width(), propia.height() * mida.width() / propia.width());
    if (mida.height() > 0)
        return QSizeF(propia.width() * mida.height() / propia.height(), mida.height());
    return propia;
}

void DibuixImatges::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int, const QTextFormat& format)
{
    // The pixels the rectangle covers on the device, zoom and screen ratio included.
    const QTransform t = painter->deviceTransform();
    const double escala = std::sqrt(std::abs(t.determinant()));
    const QSize pixels(std::clamp(int(std::ceil(rect.width() * escala)), 1, 8192),
                       std::clamp(int(std::ceil(rect.height() * escala)), 1, 8192));
    const QImage img = pont_.Vista(format.toImageFormat(), *doc, pixels);
    if (img.isNull())
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(rect, img);
    painter->restore();
}

const word::InlinePicture* Pont::Imatge(const QTextImageFormat& f) const
{
    if (!f.hasProperty(PropImatge))
        return nullptr;
    const int i = f.intProperty(PropImatge);
    return i >= 0 && i < int(imatges_.size()) ? &imatges_[std::size_t(i)] : nullptr;
}

word::Paragraph Pont::paragrafDeBloc(const QTextBlock& b, std::vector<bool>& usats) const
{
    word::Paragraph p;
    const word::Paragraph* original = nullptr;
    const QTextBlockFormat bf = b.blockFormat();
    if (bf.hasProperty(PropParagraf)) {
        const int i = bf.intProperty(PropParagraf);
        // A paragraph the user split keeps its hidden content in its first part only.
        if (i >= 0 && i < int(paragrafs_.size()) && !usats[std::size_t(i)]) {
            usats[std::size_t(i)] = true;
            original = &paragrafs_[std::size_t(i)];
            p = *original; // its section end, which only the model's own paragraphs carry
            p.items.clear();
            p.format = {};
        }
    }
    if (bf.hasProperty(QTextFormat::BlockAlignment))
        p.format.alignment = AlineacioModel(bf.alignment());
    if (bf.hasProperty(QTextFormat::BlockTopMargin))
        p.format.spaceBefore = PuntsDePx(bf.topMargin());
    if (bf.hasProperty(QTextFormat::BlockBottomMargin))
        p.format.spaceAfter = PuntsDePx(bf.bottomMargin());
    p.markFormat = FormatRun(b.charFormat());

    const QTextDocument* text = b.document();
    for (auto it = b.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        const QTextCharFormat cf = frag.charFormat();
        if (!cf.isImageFormat()) {
            AfegeixText(p, frag.text(), FormatRun(cf));
            continue;
        }
        const QTextImageFormat imf = cf.toImageFormat();
        QTextCharFormat nomesLletra = cf;
        for (int prop : {int(QTextFormat::ImageName), int(QTextFormat::ImageWidth), int(QTextFormat::ImageHeight),
                         int(QTextFormat::ObjectType), int(PropImatge)})
            nomesLletra.clearProperty(prop);
        for (int n = 0; n < frag.length(); ++n) {
            word::InlinePicture pic;
            if (const word::InlinePicture* orig = Imatge(imf)) {
                pic = *orig;
            } else {
                // A picture pasted from elsewhere: kept if the editor can read it.
                const QVariant r = text->resource(QTextDocument::ImageResource, QUrl(imf.name()));
                const QImage img = r.value<QImage>();
                if (img.isNull())
                    continue;
                pic = word::InlinePicture::fromImage(img);
            }
            if (imf.width() > 0)
                pic.setWidth(PuntsDePx(imf.width()));
            if (imf.height() > 0)
                pic.setHeight(PuntsDePx(imf.height()));
            pic.format() = FormatRun(nomesLletra);
            p.items.emplace_back(std::move(pic));
        }
    }
    if (original) {
        std::vector<word::Inline> linies;
        std::vector<word::Inline> resta;
        for (const word::Inline& it : original->items)
            (std::holds_alternative<word::FloatingLine>(it) ? linies : resta).push_back(it);
        // Unchanged: the original as it was, its floating lines where they stood.
        if (resta == p.items && original->format == p.format && original->markFormat == p.markFormat)
            return *original;
        p.items.insert(p.items.begin(), linies.begin(), linies.end());
    }
    return p;
}

word::Story Pont::storyDeFrame(const QTextFrame* frame) const
{
    std::vector<bool> usats(paragrafs_.size(), false);
    std::function<word::Story(QTextFrame::iterator, QTextFrame::iterator)> llegeix =
        [&](QTextFrame::iterator it, QTextFrame::iterator fi) {
            word::Story s;
            s.blocks.clear();
            for (; !(it == fi) && !it.atEnd(); ++it) {
                if (QTextFrame* f = it.currentFrame()) {
                    auto* qt = qobject_cast<QTextTable*>(f);
                    if (!qt)
                        continue;
                    word::Table t;
                    const QTextTableFormat tf = qt->format();
                    const int i = tf.hasProperty(PropTaula) ? tf.intProperty(PropTaula) : -1;
                    if (i >= 0 && i < int(taules_.size()))
                        t = taules_[std::size_t(i)];
                    else
                        t = word::Table(qt->rows(), qt->columns(), word::Points(72));
                    if (int(t.rows.size()) != qt->rows())
                        t.rows.resize(std::size_t(qt->rows()));
                    for (int r = 0; r < qt->rows(); ++r) {
                        if (t.rows[r].cells.size() < std::size_t(qt->columns()) && i < 0)
                            t.rows[r].cells.resize(std::size_t(qt->columns()));
                        for (int k = 0; k < int(t.rows[r].cells.size()) && k < qt->columns(); ++k) {
                            const QTextTableCell cell = qt->cellAt(r, k);
                            t.rows[r].cells[k].story = llegeix(cell.begin(), cell.end());
                        }
                    }
                    s.blocks.push_back(word::Block{std::move(t)});
                } else if (it.currentBlock().isValid()) {
                    s.blocks.push_back(word::Block{paragrafDeBloc(it.currentBlock(), usats)});
                }
            }
            // A story always ends with a paragraph.
            if (s.blocks.empty() || !s.blocks.back().isParagraph())
                s.blocks.push_back(word::Block{word::Paragraph{}});
            return s;
        };
    return llegeix(frame->begin(), frame->end());
}

std::unique_ptr<word::Document> Pont::Document(const QTextDocument& text) const
{
    std::unique_ptr<word::Document> d = original_ ? original_->clone() : word::Document::create();
    d->body().blocks = storyDeFrame(text.rootFrame()).blocks;
    // Through the file form, so the pictures get their ids and the result is what a save holds.
    return word::Document::fromBytes(d->toBytes(), d->fullName());
}

} // namespace kovel::docframe
