#include "datasources/ClsAccess.h"

#include "common/Cp1252.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "datasources/FontDades.h"
#include "datasources/Missatges.h"

#include <cstdint>

using kovel::access::EsBinari;

namespace {

// A count as the 16-bit Integer these members return: one that does not fit overflows,
// and the member's own trap turns that into -1 (never a wrapped, wrong count).
std::int16_t compte16(std::int64_t n)
{
    return n > INT16_MAX ? std::int16_t(-1) : std::int16_t(n);
}

} // namespace

ClsAccess::ClsAccess() = default;
ClsAccess::~ClsAccess() = default;

void ClsAccess::Activar(bool)
{
    // The database application has no window of its own here.
}

bool ClsAccess::VisionPreliminar(QString&)
{
    // No report can be previewed: the same answer as when the application is not available.
    mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(2009), 48, QStringLiteral("KOVEL Videvoviv"));
    return true;
}

QString ClsAccess::substituir_camps(const QString& text, const QString& names, const Recordset& rs)
{
    QString out;
    qsizetype i = 0;   // 0-based here
    qsizetype p = text.indexOf(QStringLiteral("<<"), 0, Qt::CaseInsensitive);
    qsizetype q = names.indexOf(QStringLiteral("<<"), 0, Qt::CaseInsensitive);
    while (i < text.size() && p >= 0) {
        out += text.mid(i, p - i);
        p += 2;
        q = q < 0 ? names.size() : q + 2;
        const qsizetype pc = text.indexOf(QStringLiteral(">>"), p);
        const qsizetype qc = names.indexOf(QStringLiteral(">>"), q);
        if (pc < 0) {
            i = text.size();
            break;
        }
        const QString field = names.mid(q, (qc < 0 ? names.size() : qc) - q);
        i = pc + 2;
        const auto& f = rs.Fields_().Item(field);
        if (!EsBinari(f.Type))
            out += rs.Text(field);
        p = text.indexOf(QStringLiteral("<<"), i);
        q = qc < 0 ? -1 : names.indexOf(QStringLiteral("<<"), qc + 2);
    }
    if (i < text.size())
        out += text.mid(i);
    return out;
}

QString ClsAccess::contingut_camp(const Recordset& rs, const QString& fieldName) const
{
    const auto& f = rs.Fields_().Item(fieldName);   // Error 3265 for a missing field
    if (EsBinari(f.Type))
        return QString();
    return rs.Text(fieldName);
}

std::int32_t ClsAccess::HexToDec(const QString& text)
{
    // Characters that are not hexadecimal digits count as 0; the value wraps as a Long.
    std::uint32_t r = 0;
    for (QChar ch : text) {
        const int d = QStringLiteral("0123456789ABCDEF").indexOf(ch.toUpper());
        r = r * 16 + std::uint32_t(d < 0 ? 0 : d);
    }
    return std::int32_t(r);
}

bool ClsAccess::LlenarEtiqueta(DestiEnganxar& target, const QString& text, std::int16_t idioma)
{
    ClsExcel excel;
    return excel.LlenarEtiqueta(target, text, idioma);
}

std::int16_t ClsAccess::NextSeparation(const QString& text, std::int16_t start)
{
    // Positions count from 1, as the caller writes them.
    auto instr = [&](qsizetype from, QChar c) -> qsizetype {
        if (from < 1) from = 1;
        const qsizetype at = text.indexOf(c, from - 1);
        return at < 0 ? 0 : at + 1;
    };
    if (instr(start, u'\\') > 0 || instr(start, u' ') > 0) {
        const qsizetype blank = instr(start + 1, u' ');
        const qsizetype slash = instr(start + 1, u'\\');
        if (blank <= slash)
            return std::int16_t(instr(start, u' '));
        return std::int16_t(instr(start, u'\\'));
    }
    return std::int16_t(instr(start, u'}') - 1);
}

QString ClsAccess::Encadenar(const QString& text)
{
    QString s = text;
    s.remove(u'+');
    s.remove(u'\'');
    return s;
}

bool ClsAccess::Conectar(QString& message)
{
    if (!m_app)
        m_app = std::make_unique<kovel::access::Application>();
    QString error;
    if (!m_app->AttachCurrentDatabase(error)) {
        message = kovel::datasources::MissatgeNoObert(QStringLiteral("ClsAccess.NoObert"),
                                                      QStringLiteral("The database %1 cannot be used as the data source: %2."),
                                                      error);
        return false;
    }
    if (!m_app->CurrentDb()) {
        kovel::datasources::AmagarPresentacio();
        if (mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(2004), 52, ModTraduccion::Literal(2005)) != mod_rvtMsgBox::vbYes)
            return false;
        const QString filter = QStringLiteral("*.ACCDB") + QChar(u'\0') + QStringLiteral("*.accdb") + QChar(u'\0') +
                               QStringLiteral("*.MDB") + QChar(u'\0') + QStringLiteral("*.mdb") + QChar(u'\0');
        const std::optional<QString> triat =
            kovel::datasources::TriaFitxer({QString(), filter, QStringLiteral("ACCDB")});
        if (!triat)
            return false;
        const QString& path = *triat;
        kovel::datasources::MostrarPresentacio();
        if (!m_app->OpenCurrentDatabase(path, error)) {
            message = kovel::datasources::MissatgeNoObert(QStringLiteral("ClsAccess.NoObert"),
                                                          QStringLiteral("The database %1 cannot be used as the data source: %2."),
                                                          error);
            return false;
        }
        m_app->Visible = true;
    }
    m_fontDadesActual = m_app->CurrentDb()->Name();
    return true;
}

const ClsAccess::TableDefs* ClsAccess::Conjunt_Taules() const
{
    return m_app && m_app->CurrentDb() ? &m_app->CurrentDb()->TableDefs_() : nullptr;
}

const ClsAccess::QueryDefs* ClsAccess::Conjunt_Consultes() const
{
    return m_app && m_app->CurrentDb() ? &m_app->CurrentDb()->QueryDefs_() : nullptr;
}

std::int16_t ClsAccess::nTablas() const
{
    const TableDefs* t = Conjunt_Taules();
    return t ? compte16(t->Count()) : std::int16_t(-1);
}

std::int16_t ClsAccess::nConsultas() const
{
    const QueryDefs* q = Conjunt_Consultes();
    return q ? compte16(q->Count()) : std::int16_t(-1);
}

std::int16_t ClsAccess::nListas() const
{
    const TableDefs* t = Conjunt_Taules();
    const QueryDefs* q = Conjunt_Consultes();
    if (!t || !q) return -1;
    return compte16(std::int64_t(t->Count()) + q->Count());
}

QString ClsAccess::Lista(std::int16_t i) const
{
    const TableDefs* t = Conjunt_Taules();
    if (!t || i < 0) return {};
    if (i >= t->Count()) return Consulta(std::int16_t(i - t->Count()));
    return Tabla(i);
}

QString ClsAccess::Tabla(std::int16_t i) const
{
    const TableDefs* t = Conjunt_Taules();
    return t && i >= 0 && i < t->Count() ? t->Item(i).Name : QString();
}

QString ClsAccess::Consulta(std::int16_t i) const
{
    const QueryDefs* q = Conjunt_Consultes();
    return q && i >= 0 && i < q->Count() ? q->Item(i).Name : QString();
}

std::int16_t ClsAccess::nCampos(const QString& name) const
{
    if (const QueryDefs* q = Conjunt_Consultes())
        if (const auto* def = q->Find(name)) return compte16(def->fields.Count());
    if (const TableDefs* t = Conjunt_Taules())
        if (const auto* def = t->Find(name)) return compte16(def->fields.Count());
    return -1;
}

QString ClsAccess::Campo(const QString& name, std::int16_t i) const
{
    const kovel::access::Fields* fields = nullptr;
    if (const QueryDefs* q = Conjunt_Consultes())
        if (const auto* def = q->Find(name)) fields = &def->fields;
    if (!fields)
        if (const TableDefs* t = Conjunt_Taules())
            if (const auto* def = t->Find(name)) fields = &def->fields;
    if (!fields || i < 0 || i >= fields->Count()) return {};
    return fields->Item(i).Name;
}

QString ClsAccess::sinLF(const QString& text)
{
    QString s = text;
    s.remove(u'\r');
    s.remove(u'\n');
    return s;
}

std::int16_t ClsAccess::ctoDec(const QString& text)
{
    return std::int16_t(HexToDec(text));
}

void ClsAccess::texto(const QVariant& value)
{
    // Walks the characters of the value's text and changes nothing.
    const QString s = value.toString();
    for (QChar c : s)
        (void)c;
}

void ClsAccess::Normaliza_Campo(QString& text)
{
    auto isHex = [](QChar c) { return QStringLiteral("0123456789abcdefABCDEF").contains(c); };
    auto escapeAt = [&](const QString& s, qsizetype at) {
        return at + 3 < s.size() && s[at] == u'\\' && s[at + 1] == u'\'' && isHex(s[at + 2]) && isHex(s[at + 3]);
    };
    auto find = [&](const QString& s) -> qsizetype {
        for (qsizetype at = s.indexOf(QStringLiteral("\\'")); at >= 0; at = s.indexOf(QStringLiteral("\\'"), at + 1))
            if (escapeAt(s, at)) return at;
        return -1;
    };
    QString out, rest = text;
    qsizetype p = find(rest);
    while (p >= 0) {
        out += rest.left(p);
        rest = rest.mid(p);
        QByteArray bytes;
        while (escapeAt(rest, 0)) {
            bytes += char(QStringView(rest).mid(2, 2).toUInt(nullptr, 16));
            rest = rest.mid(4);
        }
        out += kovel::cp1252::toUnicode(bytes);
        p = find(rest);
    }
    text = out + rest;
}

void ClsAccess::Finalitza()
{
    ModTolvWiz::Escribe_Log(QStringLiteral("Antes Nothing. "));
    m_app.reset();
    ModTolvWiz::Escribe_Log(QStringLiteral("Despues Nothing"));
}
