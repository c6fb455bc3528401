#pragma once
// The hosted document frame: the label design shown whole at its page's shape and edited in place,
// over the word-processor document model. It opens and saves .docx, keeps a saved flag and
// an undo history, counts pages, and tells its owner when a document was opened and before
// every save (which the owner may cancel). It never writes into a protected folder (the
// program's own templates), whoever asks.
#include "platform/docframe/Pont.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QTextEdit;
class QToolBar;
class QFontComboBox;
class QComboBox;
class QAction;
class QToolButton;

class QLabel;

namespace kovel::docframe {

class MarcDocument : public QWidget {
    Q_OBJECT
public:
    explicit MarcDocument(QWidget* parent = nullptr);
    ~MarcDocument() override;

    // Opens a .docx in the frame, replacing what it showed. WordError (naming the file) when
    // it cannot be read; the frame then keeps what it had.
    void Obre(const QString& path);
    // Shows a document of the model under a path (the path a save without one writes to).
    void Mostra(const word::Document& doc, const QString& path);
    // Saves to `path` (the frame's own path when empty). False when the owner cancelled or
    // the path is in a protected folder; WordError when the file cannot be written (the old
    // file is then kept).
    bool Desa(const QString& path = {});
    void Tanca();

    // Paints what shows (by `pinta`, or on the frame's own view) until no picture in it is a
    // box standing in for one still to come, for at most `ms`; true when none is left.
    bool EsperaImatges(int ms, const std::function<void()>& pinta = {});

    bool TeDocument() const { return obert_; }
    QString NomComplet() const { return path_; }
    bool Desat() const;
    void setDesat(bool desat);
    // One step of undo; false when there was nothing to undo.
    bool Desfes();
    bool PotDesfer() const;
    // Pages the document takes at its page size.
    int NombrePagines() const;
    // The bridge between the document model and the editor.
    const Pont& pont() const { return pont_; }
    // Pictures laid out at the sizes `f` gives them (Pont::MidaImatge), after every edit.
    void setMidaImatge(Pont::MidaImatge f);
    // The font size at the insertion point (the start of the selection), in points.
    double MidaLletraSeleccio() const;
    // Puts the picture in place of the selection.
    void InsereixImatge(const word::InlinePicture& picture);
    // The pictures that stand for text take the size of the text they sit in: given a
    // picture and the font size (points) its place now has, the owner answers the picture
    // remade for it, or nothing for a picture that keeps its own size. Asked for every picture
    // of a selection whose font size the user changes, in the same undo step.
    using ImatgeALaLletra = std::function<std::optional<word::InlinePicture>(const word::InlinePicture&, double)>;
    void setImatgeALaLletra(ImatgeALaLletra refer) { imatgeALaLletra_ = std::move(refer); }
    // The document as edited now (rebuilt only after a change); nullptr when none is open.
    word::Document* Document();
    // Sizes of the shown page, in pixels at the screen's 96 dpi.
    QSizeF MidaPagina() const { return midaPagina_; }
    // The zoom the page is shown at: the largest at which it fits the frame whole.
    double Zoom() const;

    void setCarpetesProtegides(const QStringList& carpetes) { protegides_ = carpetes; }
    bool Protegit(const QString& path) const;

    QTextEdit* Editor() const { return editor_; }
    QToolBar* BarraFormat() const { return barra_; }
    // The save command of the bar and of Ctrl+S.
    QAction* AccioDesar() const { return desar_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void documentObert(const QString& path);
    // Before every save; set *cancel to stop it.
    void abansDeDesar(const QString& path, bool* cancel);
    void contingutCanviat();
    // Said once a document when some of its pictures show as boxes (too much to draw).
    void avisImatges(const QString& missatge);

private:
    void ConfiguraBarra();
    void AjustaCaixaFont();
    void ActualitzaBarra();
    void AplicaFormat(const QTextCharFormat& f);
    // The picture's format at the place whose character format is `lletra`.
    QTextImageFormat FormatAlLloc(QTextCharFormat lletra, const word::InlinePicture& picture);
    void RefaImatges(int inici, int fi);
    void AjustaPagina();
    void DisposaImatges();

    Pont pont_;
    QTextEdit* editor_ = nullptr;
    QToolBar* barra_ = nullptr;
    QLabel* avisImatges_ = nullptr;
    QWidget* fons_ = nullptr;
    QFontComboBox* cboFont_ = nullptr;
    QComboBox* cboMida_ = nullptr;
    QAction *negreta_ = nullptr, *cursiva_ = nullptr, *subratllat_ = nullptr;
    QAction* desar_ = nullptr;
    QAction *esquerra_ = nullptr, *centre_ = nullptr, *dreta_ = nullptr, *justificat_ = nullptr;
    QToolButton* botoAlineacio_ = nullptr;
    QString path_;
    QSizeF midaPagina_;
    bool obert_ = false;
    bool actualitzant_ = false;
    bool disposant_ = false;
    mutable bool brut_ = true;
    mutable std::unique_ptr<word::Document> model_;
    QStringList protegides_;
    ImatgeALaLletra imatgeALaLletra_;
};

} // namespace kovel::docframe
