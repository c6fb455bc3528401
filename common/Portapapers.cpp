#include "common/Portapapers.h"

#include <QCoreApplication>
#include <QHash>

namespace Portapapers {

Error::Error(std::uint32_t n, const QString& d)
    : std::runtime_error(d.toStdString()), number(n), description(d)
{
    const QString app = QCoreApplication::applicationName();
    source = (app.isEmpty() ? QStringLiteral("KovelAssist") : app) + QStringLiteral(".cCustomClipboard");
}

namespace {

// The program's own clipboard: what was put on it last, by format.
class PortaIntern final : public Porta {
public:
    bool Obrir() override { return true; }
    void Tancar() override {}
    void Buidar() override { m_data.clear(); }
    void PosarText(const QString& text) override { m_data.insert(CF_UNICODETEXT, text); }
    void PosarRtf(const QByteArray& rtf) override { m_data.insert(CF_RTF, QString::fromLatin1(rtf)); }
    std::optional<QString> Llegir(std::uint32_t format) override
    {
        const auto it = m_data.constFind(format == CF_TEXT ? CF_UNICODETEXT : format);
        if (it == m_data.constEnd()) return std::nullopt;
        return *it;
    }

private:
    QHash<std::uint32_t, QString> m_data;
};

Porta* g_actual = nullptr;
bool g_obert = false;
std::uintptr_t g_finestra = 0;

} // namespace

Porta& Intern()
{
    static PortaIntern intern;
    return intern;
}

void EstablirPorta(Porta* porta)
{
    TancaPortapapers();
    g_actual = porta;
}

Porta& Actual()
{
    return g_actual ? *g_actual : Intern();
}

bool ObrePortapapers(std::uintptr_t window)
{
    if (Actual().Obrir()) {
        g_obert = true;
        g_finestra = window;
        return true;
    }
    g_obert = false;
    g_finestra = 0;
    throw Error(ErrObrir, QStringLiteral("Unable to Open Clipboard."));
}

void TancaPortapapers()
{
    if (g_obert) {
        Actual().Tancar();
        g_obert = false;
        g_finestra = 0;
    }
}

bool LlegirFormat(std::uint32_t format, QString& text)
{
    if (!g_obert && g_finestra != 0)
        throw Error(ErrNoObert, QStringLiteral("Attempt to access the clipboard when clipboard not Open."));
    const std::optional<QString> data = Actual().Llegir(format);
    if (!data || data->isEmpty())
        return false;
    text = *data;
    return true;
}

QString ObtenirText()
{
    ObrePortapapers(0);
    QString text;
    try {
        LlegirFormat(CF_UNICODETEXT, text);
    } catch (...) {
        TancaPortapapers();
        throw;
    }
    TancaPortapapers();
    // Only the text: what a memory block may hold after its terminating NUL is not data.
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

void Buidar()
{
    Actual().Buidar();
}

void PosarText(const QString& text)
{
    Actual().PosarText(text);
}

void PosarRtf(const QByteArray& rtf)
{
    Actual().PosarRtf(rtf);
}

} // namespace Portapapers
