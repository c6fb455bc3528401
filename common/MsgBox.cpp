#include "common/MsgBox.h"

#include <QCoreApplication>
#include <QVariant>

#include <cstdio>

namespace mod_rvtMsgBox {

namespace {
// Plain pointers, constant-initialised: the UI library may install its windows from a
// static initialiser of its own.
Finestra g_messageBox = nullptr;
Finestra g_popUp = nullptr;
bool g_sensePersona = false;

Answerer& answerer()
{
    static Answerer a;
    return a;
}

std::int16_t withoutDisplay(const char* what, const QString& prompt, std::int16_t style, const QString& title)
{
    const std::int16_t answer = RespostaSensePersona(style);
    std::fprintf(stderr, "[%s] %s: %s (answered %d)\n", what, qPrintable(title),
                 qPrintable(QString(prompt).replace(u'\r', u'\n')), int(answer));
    return answer;
}

std::int16_t show(Finestra window, const char* what, const QString& prompt, std::int16_t style, const QString& title)
{
    if (answerer())
        return answerer()(prompt, style, title);
    if (!window || g_sensePersona || !PantallaUsable())
        return withoutDisplay(what, prompt, style, title);
    return window(prompt, style, title);
}
} // namespace

std::int16_t BotoPerDefecte(std::int16_t style)
{
    const int buttons = style & 0x0F;
    return (buttons == vbYesNoCancel || buttons == vbYesNo) ? vbYes : vbOK;
}

std::int16_t RespostaSensePersona(std::int16_t style)
{
    switch (style & 0x0F) {
    case vbOKCancel:
    case vbYesNoCancel: return vbCancel;
    case vbYesNo: return vbNo;
    default: return vbOK;
    }
}

void setSensePersona(bool senseFinestra) { g_sensePersona = senseFinestra; }

bool PantallaUsable()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || !app->inherits("QApplication"))
        return false;
    const QString platform = app->property("platformName").toString();
    return platform != u"offscreen" && platform != u"minimal";
}

void setFinestres(Finestra messageBox, Finestra popUp)
{
    g_messageBox = messageBox;
    g_popUp = popUp;
}

std::int16_t rvtMsgBox(const QString& prompt, std::int16_t style, const QString& title)
{
    return show(g_messageBox, "message", prompt, style, title);
}

void setAnswerer(Answerer a) { answerer() = std::move(a); }
void resetAnswerer() { answerer() = nullptr; }

} // namespace mod_rvtMsgBox

namespace Portapapers {
std::int16_t MissatgePopUp(const QString& text, std::int16_t style, const QString& title)
{
    using namespace mod_rvtMsgBox;
    return show(g_popUp, "pop-up", text, style, title);
}
} // namespace Portapapers
