#include "documents/DissenyCaselles.h"

#include "common/Fitxers.h"
#include "common/ModTraduccion.h"

#include <QDir>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace seleccionador_ABCD {

QString Caselles::CarpetaCaselles() const
{
    const QString carpeta = Carpeta.isEmpty() ? directoris::DirectoriTmp() + QStringLiteral("/caselles/") : Carpeta;
    QDir().mkpath(carpeta);
    return carpeta;
}

QString Caselles::CamiCasella(std::int32_t n) const { return CarpetaCaselles() + QString::number(n) + QStringLiteral(".docx"); }

bool Caselles::CasellaBuida(std::int32_t n) const
{
    return n < 0 || n >= NomsCaselles.size() || NomsCaselles.at(n).isEmpty();
}

void Caselles::IniciaCaselles(std::int32_t n)
{
    NomsCaselles = QStringList(std::max(0, n), QString());
    CasellaActual = 0;
    NumCaselles = std::max(0, n);
}

void Caselles::Desada(std::int32_t n, const QString& path)
{
    if (NumCaselles > 0 && n >= 0 && n < NomsCaselles.size())
        NomsCaselles[n] = path;
}

void Caselles::Buida()
{
    QDir carpeta(CarpetaCaselles());
    for (const QString& f : carpeta.entryList(QDir::Files))
        carpeta.remove(f);
    for (QString& nom : NomsCaselles)
        nom.clear();
    NumCaselles = 0;
}

} // namespace seleccionador_ABCD

namespace modDsoFraWord {

GuardUnaPagina::Contingut GuardUnaPagina::Compta(const QTextDocument& text)
{
    Contingut c;
    for (QTextBlock b = text.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            (f.charFormat().isImageFormat() ? c.imatges : c.caracters) += f.length();
        }
    return c;
}

QString GuardUnaPagina::TextDesfet(const Contingut& abans, const Contingut& despres)
{
    using ModTraduccion::TextPrograma;
    QStringList parts;
    if (const int n = abans.imatges - despres.imatges; n > 0)
        parts << (n == 1 ? TextPrograma("modDsoFraWord.DesfetImatge", QStringLiteral("the code or field just inserted"))
                         : TextPrograma("modDsoFraWord.DesfetImatges", QStringLiteral("the %1 codes or fields just inserted"))
                               .arg(n));
    if (const int n = abans.caracters - despres.caracters; n > 0)
        parts << TextPrograma("modDsoFraWord.DesfetText", QStringLiteral("the text just typed or pasted"));
    if (parts.isEmpty())
        parts << TextPrograma("modDsoFraWord.DesfetCanvi", QStringLiteral("your last change"));
    return TextPrograma("modDsoFraWord.DissenyPle",
                        QStringLiteral("The design must fit on one label, and it no longer did: %1 has been taken "
                                       "out again. Make room first (smaller text, fewer lines or a smaller code) and "
                                       "then add it again."))
        .arg(parts.join(TextPrograma("modDsoFraWord.I", QStringLiteral(" and "))));
}

GuardUnaPagina::Resultat GuardUnaPagina::Revisa(const kovel::docframe::Pont& pont, QTextDocument& text,
                                                const std::function<bool()>& desfes)
{
    Resultat r;
    if (guardant_ || (&text == docRenuncia_ && text.revision() == revisioRenuncia_) || pont.Pagines(text) < 2)
        return r;
    guardant_ = true;
    const Contingut abans = Compta(text);
    while (pont.Pagines(text) >= 2) {
        const int passos = text.availableUndoSteps();
        if (passos == 0 || !desfes() || text.availableUndoSteps() >= passos)
            break;
        ++r.desfets;
    }
    guardant_ = false;
    if (pont.Pagines(text) >= 2) {
        docRenuncia_ = &text;
        revisioRenuncia_ = text.revision();
    }
    // Nothing the user did is taken back without a word.
    if (r.desfets > 0)
        r.missatge = TextDesfet(abans, Compta(text));
    return r;
}

} // namespace modDsoFraWord
