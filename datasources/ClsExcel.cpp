#include "datasources/ClsExcel.h"

#include "common/BasicRules.h"
#include "common/ModTolvWiz.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"
#include "common/Portapapers.h"
#include "datasources/FontDades.h"
#include "datasources/Missatges.h"

#include <cmath>

namespace kovel::datasources {
ErrorArgument::ErrorArgument() : std::invalid_argument("Invalid procedure call or argument") {}
} // namespace kovel::datasources

using kovel::datasources::ErrorArgument;

ClsExcel::ClsExcel() = default;
ClsExcel::~ClsExcel() = default;

bool ClsExcel::Conectar(QString& message)
{
    // Attaching always succeeds here: the application is this program's own layer.
    if (!m_app)
        m_app = std::make_unique<kovel::excel::Application>();
    QString error;
    if (!m_app->AttachActiveWorkbook(error)) {
        message = kovel::datasources::MissatgeNoObert(QStringLiteral("ClsExcel.NoObert"),
                                                      QStringLiteral("The workbook %1 cannot be used as the data source: %2."),
                                                      error);
        return false;
    }
    if (!m_app->ActiveWorkbook()) {
        kovel::datasources::AmagarPresentacio();
        if (mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(2010), 52, ModTraduccion::Literal(2011)) != mod_rvtMsgBox::vbYes)
            return false;
        const QString filter = QStringLiteral("*.XLSX") + QChar(u'\0') + QStringLiteral("*.xlsx") + QChar(u'\0') +
                               QStringLiteral("*.XLS") + QChar(u'\0') + QStringLiteral("*.xls") + QChar(u'\0') +
                               QStringLiteral("*.ODS") + QChar(u'\0') + QStringLiteral("*.ods") + QChar(u'\0') +
                               QStringLiteral("*.CSV") + QChar(u'\0') + QStringLiteral("*.csv") + QChar(u'\0');
        const std::optional<QString> triat =
            kovel::datasources::TriaFitxer({QString(), filter, QStringLiteral("XLSX")});
        if (!triat)
            return false;
        const QString& path = *triat;
        kovel::datasources::MostrarPresentacio();
        // A file that does not open leaves the source as it was, with a message that names it.
        if (!m_app->Open(path, error)) {
            message = kovel::datasources::MissatgeNoObert(QStringLiteral("ClsExcel.NoObert"),
                                                          QStringLiteral("The workbook %1 cannot be used as the data source: %2."),
                                                          error);
            return false;
        }
    }
    // What the reader could not give is said once, when the workbook is opened.
    for (const QString& warning : m_app->TakeWarnings())
        mod_rvtMsgBox::rvtMsgBox(warning, mod_rvtMsgBox::vbOKOnly | mod_rvtMsgBox::vbExclamation,
                                 m_app->ActiveWorkbook()->Name());
    m_fontDadesActual = m_app->ActiveWorkbook()->FullName();
    // Add-ins are not workbooks here: there are none to open.
    m_app->WindowState = -4137;
    m_app->Visible = true;
    return true;
}

void ClsExcel::Finalitza()
{
    ModTolvWiz::Escribe_Log(QStringLiteral("Antes Nothing. "));
    m_app.reset();
    ModTolvWiz::Escribe_Log(QStringLiteral("Despues Nothing"));
}

ClsExcel::Worksheets* ClsExcel::Conjunt_Fulles() const
{
    return m_app ? m_app->ActiveWorkbook() : nullptr;
}

void ClsExcel::Activar()
{
    ExcelHwnd();
    Mostrar();
}

void ClsExcel::Mostrar()
{
    if (m_app)
        m_app->WindowState = -4137;
}

QString ClsExcel::VentanaActiva(const QString& name)
{
    // There is no word-processor window list behind this source: the active window is the
    // named one, or none.
    return name;
}

QString ClsExcel::nom_Columna(std::int32_t column)
{
    return kovel::excel::ColumnName(column);
}

std::int32_t ClsExcel::nomCol_To_numero(const QString& letters)
{
    // Base 26 over every letter (the first and last letter alone read "AAA" as "AA").
    const std::int32_t n = kovel::excel::ColumnNumber(letters);
    if (n == 0)
        throw ErrorArgument();
    return n;
}

namespace {

std::int32_t number(const QString& digits)
{
    if (digits.isEmpty() || digits.size() > 9) throw ErrorArgument();
    for (QChar c : digits)
        if (!c.isDigit()) throw ErrorArgument();
    return kovel::basic::CLng(kovel::basic::Val(digits));
}

// "B3" (the "$" already removed before the letters) into column and row.
void cellPart(const QString& part, std::int32_t& row, std::int32_t& column)
{
    const qsizetype d = part.indexOf(u'$', 1);
    if (d < 1) throw ErrorArgument();
    column = ClsExcel::nomCol_To_numero(part.left(d));
    row = number(part.mid(d + 1));
}

bool isNumeric(const QString& s)
{
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}

} // namespace

void ClsExcel::strRang_To_numeros(const QString& range, std::int32_t& r1, std::int32_t& c1, std::int32_t& r2,
                                  std::int32_t& c2)
{
    if (range.isEmpty()) {
        r1 = 1; c1 = 1; r2 = 65536; c2 = 256;
        return;
    }
    if (!range.startsWith(u'$')) throw ErrorArgument();
    const qsizetype p = range.indexOf(u':');
    if (p < 0) {
        cellPart(range.mid(1), r1, c1);
        r2 = r1;
        c2 = c1;
        return;
    }
    const QString first = range.mid(1, p - 1);
    if (p + 1 >= range.size() || range[p + 1] != u'$') throw ErrorArgument();
    const QString second = range.mid(p + 2);
    // A whole row or column has no second "$" ($A:$XFD, $1:$100).
    if (first.indexOf(u'$', 1) < 0) {
        if (isNumeric(first)) { r1 = number(first); c1 = 1; }
        else { r1 = 1; c1 = nomCol_To_numero(first); }
    } else {
        cellPart(first, r1, c1);
    }
    if (second.indexOf(u'$', 1) < 0) {
        if (isNumeric(second)) { r2 = number(second); c2 = 256; }
        else { r2 = 65536; c2 = nomCol_To_numero(second); }
    } else {
        cellPart(second, r2, c2);
    }
}

bool ClsExcel::obtenir_contingut2clipboard(const QString& column, std::int32_t row, const Worksheet* sheet)
{
    const std::int32_t c = nomCol_To_numero(column);
    Portapapers::Buidar();
    if (!sheet)
        throw kovel::excel::Error("No worksheet is given.");
    if (kovel::excel::Application::CountA(*sheet, row, c) == 0)
        return false;
    const QString text = sheet->Text(row, c);
    if (text.isEmpty())
        return false;
    // A copied cell reaches the clipboard as its text and a line break.
    Portapapers::PosarText(text + QStringLiteral("\r\n"));
    return true;
}

void ClsExcel::obtenir_contingut2clipboard(const QString& column, std::int32_t row, const Worksheet* sheet,
                                           std::int16_t& ok)
{
    ok = obtenir_contingut2clipboard(column, row, sheet) ? -1 : 0;
}

QByteArray ClsExcel::TextAmbCampsRtf(const QString& text, std::int16_t idioma)
{
    const QString tmpl = QStringLiteral("{\\field{\\*\\fldinst {MERGEFIELD # }}{\\fldrslt {\\lang") +
                         QString::number(idioma) + QStringLiteral(" <<#>>}}}");
    QString rest = text, out;
    for (;;) {
        const qsizetype open = rest.indexOf(QStringLiteral("<<"));
        out += open < 0 ? rest : rest.left(open);
        rest = open < 0 ? QString() : rest.mid(open + 2);
        if (rest.isEmpty()) break;
        const qsizetype close = rest.indexOf(QStringLiteral(">>"));
        const QString name = close < 0 ? rest : rest.left(close);
        rest = close < 0 ? QString() : rest.mid(close + 2);
        out += QString(tmpl).replace(u'#', name);
    }
    // Rich text is 7-bit: other characters as \uN escapes.
    QByteArray rtf;
    for (QChar ch : out) {
        if (ch.unicode() < 128) rtf += char(ch.unicode());
        else rtf += "\\u" + QByteArray::number(qint16(ch.unicode())) + "?";
    }
    return rtf;
}

bool ClsExcel::LlenarEtiqueta(DestiEnganxar& target, const QString& text, std::int16_t idioma)
{
    try {
        const QByteArray rtf = TextAmbCampsRtf(text, idioma);
        if (!rtf.isEmpty()) {
            Portapapers::Buidar();
            Portapapers::PosarRtf(rtf);
            target.EditPaste();
        }
    } catch (const std::exception& e) {
        ModTolvWiz::Escribe_Log(QString::fromUtf8(e.what()));
    }
    return true;
}
