// Translation of a window from the literals table.
#include "common/HostProfile.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/ui/ModTolvWizUi.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace {

// Programs that translate windows also get the message windows, without a call of their own.
struct InstallMessageWindows {
    InstallMessageWindows() { kovel::ui::InstalarFinestresMissatge(); }
} g_installMessageWindows;

bool isTextBox(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w)
        || qobject_cast<const QPlainTextEdit*>(w);
}

bool rightToLeft(std::int16_t charset, const QObject* o)
{
    return charset == 178 && !o->property("tag").toString().contains(QStringLiteral("NoRTL"), Qt::CaseInsensitive);
}

void setCaption(QWidget* w, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
    else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else if (w->metaObject()->indexOfProperty("text") >= 0)
        w->setProperty("text", text);
    else if (w->metaObject()->indexOfProperty("caption") >= 0)
        w->setProperty("caption", text);
    // other controls have no caption: passed over
}

} // namespace

namespace ModTraduccion {

void TraduirFormulari(QWidget* window)
{
    if (!window)
        return;
    const std::int16_t charset = ModReg::LlegirJocCaracters();
    const QString name = window->objectName();
    window->setLayoutDirection(rightToLeft(charset, window) ? Qt::RightToLeft : Qt::LeftToRight);

    // The caption names the host; without one it stays as designed.
    if (kovel::Host() != kovel::HostOffice::Cap) {
        QString suffix = u' ' + kovel::NomHost(kovel::Host());
        if (name == u"frm_llista" || name == u"frmOptions")
            suffix.clear();
        window->setWindowTitle(CercarLiteral(name + QStringLiteral(".Caption")) + suffix);
    }
    // Qt chooses glyphs by character, not by a font's character set; the set is kept on
    // the widgets for the code that lays them out.
    window->setProperty("charset", int(charset));

    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        const QString controlName = control->objectName();
        if (controlName.isEmpty() || controlName.startsWith(u"qt_"))
            continue; // parts of a composite control, not controls of the window
        QString key = name + u'.' + controlName + (isTextBox(control) ? QStringLiteral(".Text") : QStringLiteral(".Caption"));
        const QVariant index = control->property("index");
        if (index.isValid())
            key += u'.' + QString::number(index.toInt());
        control->setProperty("charset", int(charset));
        control->setLayoutDirection(rightToLeft(charset, control) ? Qt::RightToLeft : Qt::LeftToRight);
        const QString text = CercarLiteral(key);
        if (!text.isEmpty())
            setCaption(control, text);
    }
}

} // namespace ModTraduccion
