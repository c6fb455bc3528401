#pragma once
// The database data source of the Access host.
#include "datasources/ClsExcel.h"
#include "platform/access/Database.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

class ClsAccess {
public:
    using Recordset = kovel::access::Recordset;
    using TableDefs = kovel::access::TableDefs;
    using QueryDefs = kovel::access::QueryDefs;

    ClsAccess();
    ~ClsAccess();

    // The database application; nullptr until Conectar has run. objApp()->CurrentDb()
    // opens recordsets by table or query name (OpenRecordset).
    kovel::access::Application* objApp() const { return m_app.get(); }
    void setObjApp(std::unique_ptr<kovel::access::Application> app) { m_app = std::move(app); }

    void Activar(bool enable);
    // The report preview has no counterpart here: shows literal 2009 and returns true.
    bool VisionPreliminar(QString& message);
    // Fills the <<field>> markers of `text` with the record's values (names taken from `names`).
    QString substituir_camps(const QString& text, const QString& names, const Recordset& rs);
    // One field of the current record as text; "" for Null and for binary types (9, 11, 17).
    // kovel::access::Error for a name the recordset lacks or with no current record.
    QString contingut_camp(const Recordset& rs, const QString& fieldName) const;
    static std::int32_t HexToDec(const QString& text);
    bool LlenarEtiqueta(DestiEnganxar& target, const QString& text, std::int16_t idioma);
    static std::int16_t NextSeparation(const QString& text, std::int16_t start);
    static QString Encadenar(const QString& text);

    // Makes sure a database is open: the one $KOVEL_CURRENT_DATABASE names, else the one the
    // user picks after literal 2004. False with `message` naming a file that cannot be
    // opened; unchanged when the user says No or cancels.
    bool Conectar(QString& message);
    // The full path of the database in use: set by a Conectar that succeeds, kept by one
    // that fails. "" before the first, unless set: then that path until a Conectar succeeds.
    const QString& FontDadesActual() const { return m_fontDadesActual; }
    void setFontDadesActual(const QString& path) { m_fontDadesActual = path; }

    std::int16_t nListas() const;      // tables + queries; -1 without a database
    std::int16_t nTablas() const;
    // The table and query definitions of the current database; nullptr without one.
    const TableDefs* Conjunt_Taules() const;
    const QueryDefs* Conjunt_Consultes() const;
    std::int16_t nConsultas() const;
    QString Lista(std::int16_t i) const;       // tables 0..nTablas-1, then the queries
    QString Tabla(std::int16_t i) const;
    QString Consulta(std::int16_t i) const;
    std::int16_t nCampos(const QString& name) const;          // queries looked up first; -1
    QString Campo(const QString& name, std::int16_t i) const; // "" when absent

    static QString sinLF(const QString& text);
    static std::int16_t ctoDec(const QString& text);
    static void texto(const QVariant& value);
    // Decodes the rich-text escapes \'hh (Windows-1252 bytes) in place.
    static void Normaliza_Campo(QString& text);
    void Finalitza();

private:
    std::unique_ptr<kovel::access::Application> m_app;
    std::intptr_t m_hWndAccess = 0;
    QString m_fontDadesActual;
};
