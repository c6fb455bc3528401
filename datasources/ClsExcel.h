#pragma once
// The spreadsheet data source of the Excel host.
#include "platform/excel/Application.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

namespace kovel::datasources {

// The runtime's "Invalid procedure call or argument" (error 5) raised on malformed text.
struct ErrorArgument : std::invalid_argument {
    ErrorArgument();
};

} // namespace kovel::datasources

// Receives rich text pasted by LlenarEtiqueta (the word processor's EditPaste).
class DestiEnganxar {
public:
    virtual ~DestiEnganxar() = default;
    virtual void EditPaste() = 0;
};

class ClsExcel {
public:
    using Worksheets = kovel::excel::Workbook;   // Count() and Item(i) from 1, Item(name)
    using Worksheet = kovel::excel::Worksheet;

    ClsExcel();
    ~ClsExcel();

    // The spreadsheet application; nullptr until Conectar has run.
    kovel::excel::Application* objApp() const { return m_app.get(); }
    void setObjApp(std::unique_ptr<kovel::excel::Application> app) { m_app = std::move(app); }

    // Makes sure a workbook is open: the one $KOVEL_ACTIVE_WORKBOOK names, else the one the
    // user picks after literal 2010. False with `message`: naming the file that cannot be
    // opened; unchanged when the user says No or cancels.
    bool Conectar(QString& message);
    // The full path of the workbook in use: set by a Conectar that succeeds, kept by one
    // that fails. "" before the first, unless set: then that path until a Conectar succeeds.
    const QString& FontDadesActual() const { return m_fontDadesActual; }
    void setFontDadesActual(const QString& path) { m_fontDadesActual = path; }
    void Finalitza();
    void PresentarInforme() {}
    // The worksheets of the active workbook; nullptr when none is open.
    Worksheets* Conjunt_Fulles() const;
    void ClosePreview() {}
    std::intptr_t ExcelHwnd() { return m_hWndExcel; }
    std::intptr_t ExcelExcelHwnd() { return 0; }
    void Activar();
    void Mostrar();
    QString VentanaActiva(const QString& name);
    static double TwipsToPoints(double twips) { return twips / 20.0; }
    static double PointsToTwips(double points) { return points * 20.0; }

    // 1 A ... 26 Z, 27 AA ... 702 ZZ, 703 AAA ... 16384 XFD; "" outside 1..16384.
    static QString nom_Columna(std::int32_t column);
    // The inverse, without regard to case; ErrorArgument for an empty or malformed text.
    static std::int32_t nomCol_To_numero(const QString& letters);
    // An absolute address ($B$3, $A$1:$C$9, $A:$C, $1:$9; "" is the whole 65536 x 256 sheet)
    // to first row, first column, last row, last column. ErrorArgument on malformed text.
    static void strRang_To_numeros(const QString& range, std::int32_t& r1, std::int32_t& c1,
                                   std::int32_t& r2, std::int32_t& c2);

    // Empties the clipboard; when the cell (row, column letters) of `sheet` holds a value
    // with a non-empty shown text, puts that text and CR LF on the clipboard and returns
    // true. Rows or columns outside the sheet raise kovel::excel::Error.
    bool obtenir_contingut2clipboard(const QString& column, std::int32_t row, const Worksheet* sheet);
    // The same with ok as the runtime's Boolean (-1 True, 0 False).
    void obtenir_contingut2clipboard(const QString& column, std::int32_t row, const Worksheet* sheet,
                                     std::int16_t& ok);

    // Puts `text` on the clipboard as rich text, every <<name>> a merge field, and pastes
    // it into `target`. The language of the fields' results is `idioma`.
    bool LlenarEtiqueta(DestiEnganxar& target, const QString& text, std::int16_t idioma);
    static QByteArray TextAmbCampsRtf(const QString& text, std::int16_t idioma);

private:
    std::unique_ptr<kovel::excel::Application> m_app;
    std::intptr_t m_hWndExcel = 0;
    QString m_fontDadesActual;
};
