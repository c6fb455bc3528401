#include "wizard/ui/Enllacos.h"

#include "common/ui/Ajuda.h"
#include "common/ui/ModTolvWizUi.h"
#include "wizard/PaginaBanner.h"

#include <QAbstractButton>
#include <QEvent>
#include <QMouseEvent>
#include <functional>

namespace ModTolvWiz {

namespace {

QString tag(QWidget* finestra, const char* control)
{
    const QWidget* c = finestra->findChild<QWidget*>(QLatin1String(control));
    return c ? c->property("tag").toString() : QString();
}

void obrir(const QString& enllac)
{
    if (enllac.trimmed().isEmpty())
        return;
    // An e-mail link hands the mail program an address and a subject, nothing more.
    const QUrl url(enllac.trimmed());
    if (url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) != 0)
        Abre_Documento(enllac);
    else if (const std::optional<QString> correu = MailtoSegur(url))
        Abre_Documento(*correu);
}

// A left click released on a control that has no clicked signal of its own.
class Clic : public QObject {
public:
    Clic(QWidget* control, std::function<void()> accio) : QObject(control), accio_(std::move(accio))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* e = static_cast<QMouseEvent*>(event);
            const auto* w = static_cast<QWidget*>(watched);
            if (e->button() == Qt::LeftButton && w->rect().contains(e->position().toPoint()))
                accio_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> accio_;
};

void lligar(QWidget* finestra, const char* nom, std::function<void()> accio)
{
    QWidget* c = finestra->findChild<QWidget*>(QLatin1String(nom));
    if (!c)
        return;
    if (auto* b = qobject_cast<QAbstractButton*>(c))
        QObject::connect(b, &QAbstractButton::clicked, b, [accio] { accio(); });
    else
        new Clic(c, std::move(accio));
}

} // namespace

void cmd_ayuda_Click() { MostrarAjuda(); }
void lbl_ayuda_Click() { cmd_ayuda_Click(); }
void cmd_email_Click(QWidget* FrmTolvWiz) { obrir(tag(FrmTolvWiz, "cmd_email")); }
void lbl_email_Click(QWidget* FrmTolvWiz) { cmd_email_Click(FrmTolvWiz); }
void img_web_Click(QWidget* FrmTolvWiz) { obrir(tag(FrmTolvWiz, "img_web")); }

void ConnectarEnllacos(QWidget* FrmTolvWiz)
{
    lligar(FrmTolvWiz, "cmd_ayuda", [] { cmd_ayuda_Click(); });
    lligar(FrmTolvWiz, "lbl_ayuda", [] { lbl_ayuda_Click(); });
    lligar(FrmTolvWiz, "cmd_email", [FrmTolvWiz] { cmd_email_Click(FrmTolvWiz); });
    lligar(FrmTolvWiz, "lbl_email", [FrmTolvWiz] { lbl_email_Click(FrmTolvWiz); });
    lligar(FrmTolvWiz, "img_web", [FrmTolvWiz] { img_web_Click(FrmTolvWiz); });
}

} // namespace ModTolvWiz
