#pragma once
// The bridge between the word-processor document model and the editor's QTextDocument.
// The editor shows paragraphs, runs, inline pictures and tables; what it cannot show
// (floating lines, section ends, table and cell geometry, hidden text, page set-up) is
// kept beside it and put back when the document is rebuilt, so a design goes through the
// editor without losing anything.
#include "platform/word/Document.h"

#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextObjectInterface>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kovel::docframe {

// Screen pixels (96 dpi, the editor's unit) for points, and back.
inline double PxDePunts(word::Points p) { return p.value * 96.0 / 72.0; }
inline word::Points PuntsDePx(double px) { return word::Points(px * 72.0 / 96.0); }

class Pont {
public:
    Pont();
    ~Pont();
    Pont(const Pont&) = delete;
    Pont& operator=(const Pont&) = delete;

    // Fills `text` with the document's body, page width and margins; keeps what it cannot
    // show. `text` is cleared first; its undo stack is reset.
    void Carrega(const word::Document& doc, QTextDocument& text);

    // The document as the editor holds it now: the original's sections, defaults and
    // hidden content, with the body rebuilt from `text`. Pictures get their ids as a read
    // document gives them.
    std::unique_ptr<word::Document> Document(const QTextDocument& text) const;

    // Registers a picture for the editor and returns the format that shows it; the picture
    // is kept whole (its PNG bytes, alternative text and shown size).
    QTextImageFormat FormatImatge(QTextDocument& text, const word::InlinePicture& picture);
    // The picture an image format of this editor stands for, or nullptr.
    const word::InlinePicture* Imatge(const QTextImageFormat& f) const;

    const word::Document* Original() const { return original_.get(); }

    // The picture of an image format at `pixels` (device pixels): a program-made vector
    // picture drawn from its shapes when it is first shown, any other the image registered
    // for it. Drawn once per content and size: a picture placed many times is drawn once.
    // A picture over its own budget, or past the document's, shows as a labelled box, and
    // `avis` is told once a document. A picture not ready in the time the window may wait
    // shows as its box until its worker ends; then `arribada` is told, and the next Vista
    // gives the picture.
    QImage Vista(const QTextImageFormat& f, const QTextDocument& text, QSize pixels) const;
    void setAvis(std::function<void(const QString&)> avis) { avis_ = std::move(avis); }
    // Told on the window's thread when a picture shown as its box for want of time is ready:
    // whatever shows the document paints it again.
    void setArribada(std::function<void()> arribada) { arribada_ = std::move(arribada); }
    // A paint of the document's view begins: the window's wait for its pictures starts anew,
    // and the drawings it shows are kept while it lasts. Requests with more than a tenth of a
    // second between them count as paints of their own when nothing says so.
    void IniciPintat() const;
    // The boxes Vista has given so far in place of a picture still to come (being decoded or
    // drawn off the window's thread, or waiting for a worker).
    int Provisionals() const { return provisionals_; }
    // Pixels of all the pictures of one document drawn or decoded and held at once; the
    // drawings of sizes no longer shown give way to new ones before a picture is refused.
    static constexpr qint64 PixelsDocument = 16 << 20;
    // The window waits for the pictures of one paint no longer than this, all together; for
    // the pictures decoded as a document is loaded, no longer than the second.
    static constexpr int TempsImatgeMs = 250;
    static constexpr qint64 TempsDocumentMs = 600;
    void setTempsImatge(int ms) { tempsImatge_ = ms; }

    // The size the editor lays a picture out at when its owner draws it otherwise than at its
    // own (a code sized as the printed document will size it): given the document as edited
    // and the picture's place among its pictures, its size in points, or none for its own.
    using MidaImatge = std::function<std::optional<QSizeF>(const word::Document&, std::size_t)>;
    void setMidaImatge(MidaImatge f)
    {
        midaImatge_ = std::move(f);
        mides_ = {};
    }
    bool TeMidaImatge() const { return bool(midaImatge_); }
    // That size, in editor pixels, for the picture at `posicio` of `text`.
    std::optional<QSizeF> MidaDisposada(const QTextDocument& text, int posicio) const;

    // The label page in editor pixels: width and height, and the margins.
    static QSizeF MidaPagina(const word::PageSetup& ps);
    // Pages `text` takes at the loaded document's page size; 0 when none is loaded.
    int Pagines(const QTextDocument& text) const;

private:
    void carregaStory(QTextCursor& c, QTextDocument& text, const word::Story& story);
    void carregaParagraf(QTextCursor& c, QTextDocument& text, const word::Paragraph& p, bool primer);
    word::Story storyDeFrame(const QTextFrame* frame) const;
    word::Paragraph paragrafDeBloc(const QTextBlock& b, std::vector<bool>& usats) const;

    std::unique_ptr<word::Document> original_;
    std::vector<word::Paragraph> paragrafs_; // originals, by the block property
    std::vector<word::Table> taules_;        // originals, by the table property
    QImage substitut(const word::InlinePicture& p);
    QImage decodifica(const QByteArray& bytes, const QByteArray& contingut, int espera) const;
    void comencaVista() const;
    int esperaPermesa() const;
    struct Arribada {
        QImage img;
        bool massa = false; // the drawing found it asks too much
    };
    enum class Encarrec { Cap, EnCami, Vingut };
    Encarrec pren(const QByteArray& clau, Arribada& a) const;
    void encarrega(const QByteArray& clau) const;
    void oblida(const QByteArray& clau) const;
    std::function<void(QImage)> lliurament(const QByteArray& clau, std::function<bool()> massa = {}) const;
    void reintenta() const;
    bool capAlDocument(QSize pixels, const QByteArray& dibuixant = {}) const;
    void alliberaVistes(const QByteArray& dibuixant) const;
    void superat() const;

    struct VistaDesada {
        QImage img;
        QByteArray contingut; // the picture's content key, when drawn here
        qint64 pixels = 0;    // drawn here and counted; 0 when another image is shared
        quint64 us = 0;       // when last shown
    };
    std::vector<word::InlinePicture> imatges_;
    std::vector<QByteArray> claus_;                // of each picture's content
    mutable QHash<QByteArray, QImage> decodificades_; // pictures and boxes, by content and size
    mutable QHash<QByteArray, VistaDesada> vistes_; // by content and size
    mutable quint64 usos_ = 0;
    mutable qint64 pixels_ = 0;                    // of the pictures decoded and drawn that are held
    mutable bool avisat_ = false;
    mutable QSet<QByteArray> refusades_;           // contents of pictures from files that are not decoded
    mutable int provisionals_ = 0;
    mutable bool reintent_ = false;                // a paint is asked for, for want of a worker
    int tempsImatge_ = TempsImatgeMs;
    mutable qint64 esperat_ = 0;                   // ms the window waited for pictures as the document loaded
    mutable qint64 esperatPintat_ = 0;             // and in the paint under way
    mutable quint64 iniciPintat_ = 0;              // the first use of that paint
    mutable quint64 iniciAnterior_ = 0;            // and of the paint before
    static constexpr qsizetype VistesMaximes = 4096;
    mutable QElapsedTimer pintat_;                 // since the last picture of that paint
    // What workers give after the window stopped waiting, shared with them; the receiver, on
    // the window's thread, passes the word on while this bridge lives.
    struct Arribades;
    std::shared_ptr<Arribades> arribades_;
    std::unique_ptr<QObject> receptor_;
    std::function<void()> arribada_;
    std::function<void(const QString&)> avis_;
    MidaImatge midaImatge_;
    // The sizes MidaImatge gave, for one revision of one document (each found when first asked).
    struct Mides {
        const QTextDocument* text = nullptr;
        int revisio = -1;
        std::unique_ptr<word::Document> model;
        std::vector<std::optional<std::optional<QSizeF>>> mides;
    };
    mutable Mides mides_;
    mutable const QTextDocument* origen_ = nullptr;   // while a copy is paged: the original
};

// Draws the editor's pictures at the pixels they cover on the screen, whatever the zoom: a
// code stays sharp and is drawn from the same shapes the document keeps.
class DibuixImatges : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    DibuixImatges(const Pont& pont, QObject* parent) : QObject(parent), pont_(pont) {}
    QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                    const QTextFormat& format) override;

private:
    const Pont& pont_;
};

// Character and block formats of the model and of the editor.
QTextCharFormat FormatCaracter(const word::RunFormat& f);
word::RunFormat FormatRun(const QTextCharFormat& f);

} // namespace kovel::docframe
