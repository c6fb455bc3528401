#include "platform/docframe/ui/MarcDocument.h"

#include "platform/imatges/LecturaImatge.h"

#include <QAction>
#include <QAbstractTextDocumentLayout>
#include <QActionGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextFrame>
#include <QToolBar>
#include <QVBoxLayout>

#include <tuple>

namespace kovel::docframe {

namespace {

// The editor reads nothing from outside on its own: pictures come only from the document
// or from picture data pasted in, of a sane size.
class DocumentSegur : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    // The pictures of the design are registered with the document; a name it does not hold
    // (a file or address from pasted HTML) is not fetched.
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

// The editor shows its page at a zoom: the document keeps its true sizes (the layout is done
// at 96 dpi) and only the drawing and the pointer are scaled.
class EditorDisseny : public QTextEdit {
public:
    EditorDisseny()
    {
        setDocument(new DocumentSegur(this));
        // The editor asks for repaints in unscaled rectangles: the page is repainted whole
        // (a label is small) whenever its drawing may have changed.
        const auto tot = [this] { viewport()->update(); };
        connect(document()->documentLayout(), &QAbstractTextDocumentLayout::update, viewport(), tot);
        connect(this, &QTextEdit::cursorPositionChanged, viewport(), tot);
        connect(this, &QTextEdit::selectionChanged, viewport(), tot);
    }
    QVariant loadResource(int, const QUrl&) override { return {}; }

    // Told as each paint begins (the pictures it shows are its own while it lasts).
    std::function<void()> abansDePintar;

    double Escala() const { return escala_; }
    void setEscala(double e)
    {
        escala_ = e;
        viewport()->update();
    }

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override
    {
        return source->hasImage() || source->hasText() || source->hasHtml();
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        if (source->hasImage()) {
            const QImage img = qvariant_cast<QImage>(source->imageData());
            if (img.isNull() || img.width() > 4096 || img.height() > 4096)
                return;
        }
        QTextEdit::insertFromMimeData(source);
    }

    // The whole page from its top: the editor never scrolls inside a page that fits.
    void paintEvent(QPaintEvent* e) override
    {
        if (abansDePintar)
            abansDePintar();
        QPainter p(viewport());
        p.scale(escala_, escala_);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(QRectF(e->rect()).topLeft() / escala_, QRectF(e->rect()).size() / escala_);
        ctx.palette = palette();
        if (hasFocus() && !isReadOnly())
            ctx.cursorPosition = textCursor().position();
        if (textCursor().hasSelection()) {
            QAbstractTextDocumentLayout::Selection sel;
            sel.cursor = textCursor();
            sel.format.setBackground(palette().brush(QPalette::Highlight));
            sel.format.setForeground(palette().brush(QPalette::HighlightedText));
            ctx.selections << sel;
        }
        document()->documentLayout()->draw(&p, ctx);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        QMouseEvent m = Desescalat(*e);
        QTextEdit::mousePressEvent(&m);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        QMouseEvent m = Desescalat(*e);
        QTextEdit::mouseMoveEvent(&m);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        QMouseEvent m = Desescalat(*e);
        QTextEdit::mouseReleaseEvent(&m);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        QMouseEvent m = Desescalat(*e);
        QTextEdit::mouseDoubleClickEvent(&m);
    }
    void contextMenuEvent(QContextMenuEvent* e) override
    {
        QContextMenuEvent c(e->reason(), PuntDocument(e->pos()).toPoint(), e->globalPos(), e->modifiers());
        QTextEdit::contextMenuEvent(&c);
    }
    void dragMoveEvent(QDragMoveEvent* e) override
    {
        QDragMoveEvent d(PuntDocument(e->position()).toPoint(), e->possibleActions(), e->mimeData(), e->buttons(),
                         e->modifiers());
        QTextEdit::dragMoveEvent(&d);
        e->setAccepted(d.isAccepted());
        e->setDropAction(d.dropAction());
    }
    void dropEvent(QDropEvent* e) override
    {
        QDropEvent d(PuntDocument(e->position()), e->possibleActions(), e->mimeData(), e->buttons(), e->modifiers());
        QTextEdit::dropEvent(&d);
        e->setAccepted(d.isAccepted());
        e->setDropAction(d.dropAction());
    }
    QVariant inputMethodQuery(Qt::InputMethodQuery q) const override
    {
        const QVariant v = QTextEdit::inputMethodQuery(q);
        if (q == Qt::ImCursorRectangle || q == Qt::ImAnchorRectangle) {
            const QRectF r = v.toRectF();
            return QRectF(r.topLeft() * escala_, r.size() * escala_);
        }
        return v;
    }

private:
    // A point of the viewport as the unscaled, unscrolled editor takes it.
    QPointF PuntDocument(QPointF p) const
    {
        return p / escala_ - QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
    }
    QMouseEvent Desescalat(const QMouseEvent& e) const
    {
        return QMouseEvent(e.type(), PuntDocument(e.position()), e.scenePosition(), e.globalPosition(), e.button(),
                           e.buttons(), e.modifiers(), e.pointingDevice());
    }

    double escala_ = 1.0;
};

} // namespace

MarcDocument::MarcDocument(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dsoFraWord"));
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    barra_ = new QToolBar(this);
    barra_->setObjectName(QStringLiteral("barraFormat"));
    barra_->setIconSize(QSize(16, 16));
    l->addWidget(barra_);
    // Where the frame says that pictures show as boxes; seen without a click to dismiss it.
    avisImatges_ = new QLabel(this);
    avisImatges_->setObjectName(QStringLiteral("lblAvisImatges"));
    avisImatges_->setWordWrap(true);
    avisImatges_->setStyleSheet(QStringLiteral("background: #fff4c8; padding: 3px"));
    avisImatges_->hide();
    l->addWidget(avisImatges_);
    // A picture drawn off the window's thread after its paint: that paint again.
    pont_.setArribada([this] {
        if (editor_)
            editor_->viewport()->update();
    });
    // Told while the page is painted: shown after it.
    pont_.setAvis([this](const QString& m) {
        QMetaObject::invokeMethod(
            this,
            [this, m] {
                avisImatges_->setText(m);
                avisImatges_->show();
                emit avisImatges(m);
            },
            Qt::QueuedConnection);
    });

    // The label page on a grey desk, whole and centred at the largest zoom that fits, as a
    // word processor's whole-page view.
    fons_ = new QWidget(this);
    fons_->setObjectName(QStringLiteral("fonsPagina"));
    fons_->setBackgroundRole(QPalette::Dark);
    fons_->setAutoFillBackground(true);
    fons_->installEventFilter(this);
    l->addWidget(fons_, 1);
    auto* editor = new EditorDisseny;
    editor->abansDePintar = [this] { pont_.IniciPintat(); };
    editor_ = editor;
    editor_->setParent(fons_);
    editor_->setObjectName(QStringLiteral("txtDisseny"));
    editor_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    editor_->setFrameShape(QFrame::NoFrame);
    editor_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor_->setAutoFillBackground(true);
    QPalette pal = editor_->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    editor_->setPalette(pal);
    editor_->setEnabled(false);
    // Pictures are drawn at the pixels they cover: codes from their own shapes.
    editor_->document()->documentLayout()->registerHandler(QTextFormat::ImageObject, new DibuixImatges(pont_, this));

    connect(editor_->document(), &QTextDocument::contentsChanged, this, [this] {
        brut_ = true;
        emit contingutCanviat();
    });
    connect(editor_->document(), &QTextDocument::contentsChanged, this, &MarcDocument::DisposaImatges);
    connect(editor_, &QTextEdit::cursorPositionChanged, this, &MarcDocument::ActualitzaBarra);
    connect(editor_, &QTextEdit::currentCharFormatChanged, this, &MarcDocument::ActualitzaBarra);
    ConfiguraBarra();
}

MarcDocument::~MarcDocument()
{
    // The editor's layout calls back into the bridge, which goes before the widgets do.
    pont_.setMidaImatge({});
    disconnect(editor_->document(), nullptr, this, nullptr);
    delete editor_;
    editor_ = nullptr;
}

bool MarcDocument::EsperaImatges(int ms, const std::function<void()>& pinta)
{
    QElapsedTimer rellotge;
    rellotge.start();
    for (;;) {
        QCoreApplication::processEvents();
        const int abans = pont_.Provisionals();
        if (pinta)
            pinta();
        else
            editor_->viewport()->grab();
        if (pont_.Provisionals() == abans)
            return true;
        if (rellotge.elapsed() >= ms)
            return false;
        imatges::EsperaTreballadors(int(std::max<qint64>(0, ms - rellotge.elapsed())));
    }
}

void MarcDocument::setMidaImatge(Pont::MidaImatge f)
{
    pont_.setMidaImatge(std::move(f));
    DisposaImatges();
}

void MarcDocument::DisposaImatges()
{
    // A picture's size may follow any edit of the design (the room its owner gives it): its
    // lines are laid out again, which changes nothing the undo history sees.
    if (!pont_.TeMidaImatge() || disposant_)
        return;
    disposant_ = true;
    QTextDocument* text = editor_->document();
    for (QTextBlock b = text->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                text->markContentsDirty(it.fragment().position(), it.fragment().length());
    disposant_ = false;
}

bool MarcDocument::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fons_ && event->type() == QEvent::Resize && editor_)
        AjustaPagina();
    return QWidget::eventFilter(watched, event);
}

double MarcDocument::Zoom() const { return static_cast<const EditorDisseny*>(editor_)->Escala(); }

void MarcDocument::ConfiguraBarra()
{
    auto accio = [this](const char* nom, const QString& text, const QKeySequence& tecla, bool marcable) {
        QAction* a = barra_->addAction(text);
        a->setObjectName(QLatin1String(nom));
        a->setCheckable(marcable);
        if (!tecla.isEmpty()) {
            a->setShortcut(tecla);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
        return a;
    };
    // The user's own save, by its button or Ctrl+S: the owner is asked first, as for every
    // save. It comes first, then Undo and Redo: a narrow frame folds away only the tail of
    // the bar.
    desar_ = barra_->addAction(QStringLiteral("Save"));
    desar_->setObjectName(QStringLiteral("btnDesar"));
    desar_->setShortcut(QKeySequence::Save);
    desar_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(desar_);
    if (QWidget* boto = barra_->widgetForAction(desar_))
        boto->setObjectName(QStringLiteral("btnDesar"));
    connect(desar_, &QAction::triggered, this, [this] {
        if (obert_ && !path_.isEmpty())
            Desa(path_);
    });
    barra_->addSeparator();
    QAction* desfer = accio("btnDesfer", QStringLiteral("\u21b6"), QKeySequence::Undo, false);
    QAction* refer = accio("btnRefer", QStringLiteral("\u21b7"), QKeySequence::Redo, false);
    desfer->setToolTip(QStringLiteral("Undo"));
    refer->setToolTip(QStringLiteral("Redo"));
    connect(desfer, &QAction::triggered, editor_, &QTextEdit::undo);
    connect(refer, &QAction::triggered, editor_, &QTextEdit::redo);
    connect(editor_, &QTextEdit::undoAvailable, desfer, &QAction::setEnabled);
    connect(editor_, &QTextEdit::redoAvailable, refer, &QAction::setEnabled);
    desfer->setEnabled(false);
    refer->setEnabled(false);

    barra_->addSeparator();
    cboFont_ = new QFontComboBox(barra_);
    cboFont_->setObjectName(QStringLiteral("cboFont"));
    barra_->addWidget(cboFont_);
    connect(cboFont_, &QFontComboBox::currentFontChanged, this, [this](const QFont& f) {
        QTextCharFormat c;
        c.setFontFamilies(QStringList{f.family()});
        AplicaFormat(c);
        AjustaCaixaFont();
    });
    cboMida_ = new QComboBox(barra_);
    cboMida_->setObjectName(QStringLiteral("cboMida"));
    cboMida_->setEditable(true);
    for (int m : {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 28, 36, 48, 72})
        cboMida_->addItem(QString::number(m));
    cboMida_->setMaximumWidth(56);
    barra_->addWidget(cboMida_);
    connect(cboMida_, &QComboBox::textActivated, this, [this](const QString& t) {
        bool ok = false;
        const double m = t.toDouble(&ok);
        if (!ok || m < 1 || m > 1638)
            return;
        QTextCharFormat c;
        c.setFontPointSize(m);
        AplicaFormat(c);
    });

    barra_->addSeparator();
    negreta_ = accio("btnNegreta", QStringLiteral("B"), QKeySequence::Bold, true);
    cursiva_ = accio("btnCursiva", QStringLiteral("I"), QKeySequence::Italic, true);
    subratllat_ = accio("btnSubratllat", QStringLiteral("U"), QKeySequence::Underline, true);
    QFont f = barra_->font();
    f.setBold(true);
    negreta_->setFont(f);
    f.setBold(false);
    f.setItalic(true);
    cursiva_->setFont(f);
    f.setItalic(false);
    f.setUnderline(true);
    subratllat_->setFont(f);
    connect(negreta_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat c;
        c.setFontWeight(on ? QFont::Bold : QFont::Normal);
        AplicaFormat(c);
    });
    connect(cursiva_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat c;
        c.setFontItalic(on);
        AplicaFormat(c);
    });
    connect(subratllat_, &QAction::triggered, this, [this](bool on) {
        QTextCharFormat c;
        c.setFontUnderline(on);
        AplicaFormat(c);
    });
    QAction* color = accio("btnColor", QStringLiteral("A\u0332"), {}, false);
    connect(color, &QAction::triggered, this, [this] {
        const QColor c = QColorDialog::getColor(editor_->textColor(), this);
        if (!c.isValid())
            return;
        QTextCharFormat f;
        f.setForeground(c);
        AplicaFormat(f);
    });

    // The four alignments share one button, which shows the one in force.
    barra_->addSeparator();
    auto* grup = new QActionGroup(this);
    auto* menu = new QMenu(this);
    const std::tuple<QAction**, const char*, Qt::Alignment, QString, QString> alineacions[] = {
        {&esquerra_, "btnEsquerra", Qt::AlignLeft, QStringLiteral("\u2261\u2190"), QStringLiteral("Left")},
        {&centre_, "btnCentre", Qt::AlignHCenter, QStringLiteral("\u2261"), QStringLiteral("Centre")},
        {&dreta_, "btnDreta", Qt::AlignRight, QStringLiteral("\u2192\u2261"), QStringLiteral("Right")},
        {&justificat_, "btnJustificat", Qt::AlignJustify, QStringLiteral("\u2630"), QStringLiteral("Justify")},
    };
    for (const auto& [lloc, nom, a, signe, text] : alineacions) {
        QAction* ac = menu->addAction(signe + QStringLiteral("  ") + text);
        ac->setObjectName(QLatin1String(nom));
        ac->setIconText(signe);
        ac->setCheckable(true);
        grup->addAction(ac);
        *lloc = ac;
        const Qt::Alignment alineacio = a;
        connect(ac, &QAction::triggered, this, [this, alineacio] {
            if (!actualitzant_)
                editor_->setAlignment(alineacio);
            ActualitzaBarra();
        });
    }
    botoAlineacio_ = new QToolButton(barra_);
    botoAlineacio_->setObjectName(QStringLiteral("btnAlineacio"));
    botoAlineacio_->setPopupMode(QToolButton::InstantPopup);
    botoAlineacio_->setMenu(menu);
    botoAlineacio_->setToolTip(QStringLiteral("Alignment"));
    botoAlineacio_->setText(esquerra_->iconText());
    barra_->addWidget(botoAlineacio_);
    // Typing never turns lines into lists.
    editor_->setAutoFormatting(QTextEdit::AutoNone);
    AjustaCaixaFont();
}

// The font box as wide as the name of the family in use, whole; the list drops down as wide
// as its names.
void MarcDocument::AjustaCaixaFont()
{
    const QFontMetrics fm = cboFont_->lineEdit() ? cboFont_->lineEdit()->fontMetrics() : cboFont_->fontMetrics();
    QStyleOptionComboBox o;
    o.initFrom(cboFont_);
    o.editable = true;
    // The line edit's own margins are those of any edit box.
    const int text = fm.horizontalAdvance(cboFont_->currentText()) + fm.averageCharWidth() * 2;
    const QSize mida = cboFont_->style()->sizeFromContents(QStyle::CT_ComboBox, &o, QSize(text, fm.height()), cboFont_);
    cboFont_->setFixedWidth(std::clamp(mida.width(), 100, 280));
}

void MarcDocument::AplicaFormat(const QTextCharFormat& f)
{
    if (actualitzant_ || !obert_)
        return;
    QTextCursor c = editor_->textCursor();
    c.beginEditBlock();
    editor_->mergeCurrentCharFormat(f);
    if (f.hasProperty(QTextFormat::FontPointSize) && c.hasSelection())
        RefaImatges(c.selectionStart(), c.selectionEnd());
    c.endEditBlock();
    editor_->setFocus();
}

void MarcDocument::RefaImatges(int inici, int fi)
{
    if (!imatgeALaLletra_)
        return;
    QTextDocument* doc = editor_->document();
    std::vector<std::pair<int, word::InlinePicture>> noves;
    for (int pos = inici; pos < fi; ++pos) {
        if (doc->characterAt(pos) != QChar::ObjectReplacementCharacter)
            continue;
        QTextCursor k(doc);
        k.setPosition(pos + 1);
        const QTextCharFormat lletra = k.charFormat();
        const word::InlinePicture* actual = lletra.isImageFormat() ? pont_.Imatge(lletra.toImageFormat()) : nullptr;
        if (!actual || lletra.fontPointSize() <= 0)
            continue;
        if (std::optional<word::InlinePicture> nova = imatgeALaLletra_(*actual, lletra.fontPointSize()))
            noves.emplace_back(pos, std::move(*nova));
    }
    for (const auto& [pos, nova] : noves) {
        QTextCursor k(doc);
        k.setPosition(pos + 1);
        const QTextImageFormat f = FormatAlLloc(k.charFormat(), nova);
        k.setPosition(pos, QTextCursor::KeepAnchor);
        k.setCharFormat(f);
    }
}

QTextImageFormat MarcDocument::FormatAlLloc(QTextCharFormat lletra, const word::InlinePicture& picture)
{
    lletra.merge(pont_.FormatImatge(*editor_->document(), picture));
    return lletra.toImageFormat();
}

void MarcDocument::ActualitzaBarra()
{
    actualitzant_ = true;
    const QTextCharFormat c = editor_->currentCharFormat();
    const QFont f = c.font();
    negreta_->setChecked(f.bold());
    cursiva_->setChecked(f.italic());
    subratllat_->setChecked(f.underline());
    cboFont_->setCurrentFont(f);
    AjustaCaixaFont();
    if (QLineEdit* nom = cboFont_->lineEdit())
        nom->setCursorPosition(0);
    cboFont_->setToolTip(cboFont_->currentText());
    cboMida_->setEditText(QString::number(MidaLletraSeleccio()));
    const Qt::Alignment a = editor_->alignment();
    QAction* alineacio = a & Qt::AlignHCenter ? centre_ : a & Qt::AlignRight ? dreta_ : a & Qt::AlignJustify ? justificat_ : esquerra_;
    alineacio->setChecked(true);
    botoAlineacio_->setText(alineacio->iconText());
    actualitzant_ = false;
}

void MarcDocument::AjustaPagina()
{
    const word::Document* d = pont_.Original();
    if (!d)
        return;
    midaPagina_ = Pont::MidaPagina(d->pageSetup());
    editor_->setLineWrapColumnOrWidth(int(std::lround(midaPagina_.width())));
    if (midaPagina_.isEmpty())
        return;
    // The largest zoom at which the whole page and a thin edge of desk fit.
    constexpr int vora = 6;
    const double zoom = std::clamp(std::min((fons_->width() - 2.0 * vora) / midaPagina_.width(),
                                            (fons_->height() - 2.0 * vora) / midaPagina_.height()),
                                   0.1, 8.0);
    static_cast<EditorDisseny*>(editor_)->setEscala(zoom);
    const QSize mida(int(std::ceil(midaPagina_.width() * zoom)), int(std::ceil(midaPagina_.height() * zoom)));
    editor_->setFixedSize(mida);
    editor_->move(std::max(0, (fons_->width() - mida.width()) / 2), std::max(0, (fons_->height() - mida.height()) / 2));
}

void MarcDocument::Obre(const QString& path)
{
    std::unique_ptr<word::Document> d = word::Document::open(path);
    Mostra(*d, path);
}

void MarcDocument::Mostra(const word::Document& doc, const QString& path)
{
    const QSignalBlocker bloqueig(editor_->document());
    avisImatges_->hide();
    pont_.Carrega(doc, *editor_->document());
    path_ = path;
    obert_ = true;
    brut_ = true;
    model_.reset();
    editor_->setEnabled(true);
    AjustaPagina();
    QTextCursor c(editor_->document());
    editor_->setTextCursor(c);
    ActualitzaBarra();
    emit documentObert(path_);
}

bool MarcDocument::Protegit(const QString& path) const
{
    const QString absolut = QFileInfo(path).absoluteFilePath();
    for (const QString& p : protegides_) {
        if (p.isEmpty())
            continue;
        const QString carpeta = QDir(QFileInfo(p).absoluteFilePath()).canonicalPath();
        const QString pare = QFileInfo(QFileInfo(absolut).absolutePath()).canonicalFilePath();
        if (!carpeta.isEmpty() && !pare.isEmpty() && (pare == carpeta || pare.startsWith(carpeta + u'/')))
            return true;
    }
    return false;
}

bool MarcDocument::Desa(const QString& path)
{
    if (!obert_)
        return false;
    const QString desti = path.isEmpty() ? path_ : path;
    if (desti.isEmpty())
        return false;
    bool cancel = false;
    emit abansDeDesar(desti, &cancel);
    if (cancel || Protegit(desti))
        return false;
    word::Document* d = Document();
    d->saveAs(desti);
    path_ = desti;
    editor_->document()->setModified(false);
    return true;
}

void MarcDocument::Tanca()
{
    const QSignalBlocker bloqueig(editor_->document());
    editor_->document()->clear();
    editor_->setEnabled(false);
    obert_ = false;
    path_.clear();
    model_.reset();
    brut_ = true;
}

bool MarcDocument::Desat() const { return !editor_->document()->isModified(); }
void MarcDocument::setDesat(bool desat) { editor_->document()->setModified(!desat); }

bool MarcDocument::PotDesfer() const { return editor_->document()->isUndoAvailable(); }

bool MarcDocument::Desfes()
{
    if (!PotDesfer())
        return false;
    editor_->undo();
    return true;
}

int MarcDocument::NombrePagines() const { return obert_ ? pont_.Pagines(*editor_->document()) : 0; }

double MarcDocument::MidaLletraSeleccio() const
{
    QTextCursor c = editor_->textCursor();
    c.setPosition(std::min(c.position(), c.anchor()));
    // The size in force where text would be typed: that of the character before the point,
    // or the paragraph's own at its start.
    const QTextCharFormat f = c.charFormat();
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        return f.fontPointSize();
    const QFont d = editor_->document()->defaultFont();
    return d.pointSizeF() > 0 ? d.pointSizeF() : 10.0;
}

void MarcDocument::InsereixImatge(const word::InlinePicture& picture)
{
    if (!obert_)
        return;
    QTextCursor c = editor_->textCursor();
    // The picture takes the font of the point it goes to, as typed text would.
    c.insertImage(FormatAlLloc(c.charFormat(), picture));
    editor_->setTextCursor(c);
}

word::Document* MarcDocument::Document()
{
    if (!obert_)
        return nullptr;
    if (brut_ || !model_) {
        model_ = pont_.Document(*editor_->document());
        brut_ = false;
    }
    return model_.get();
}

} // namespace kovel::docframe
