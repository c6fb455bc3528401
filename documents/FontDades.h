#pragma once
// The record sources the generator fills labels from. The spreadsheet and database sources
// of the data-sources subsystem and the in-memory source of tests and measurements stand
// behind the same two interfaces.
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace generar_doc {

// One worksheet: cells addressed by column letters (the field names of a spreadsheet) and
// row number from 1.
class FullDades {
public:
    virtual ~FullDades() = default;
    // The shown text of the cell; false, with the text empty, when the cell holds nothing.
    virtual bool contingut(const QString& columna, std::int32_t fila, QString& text) = 0;
};

// A recordset positioned on its current record.
class RegistresDades {
public:
    virtual ~RegistresDades() = default;
    virtual bool eof() const = 0;
    virtual void moveFirst() = 0;
    virtual void moveLast() = 0;
    virtual void moveNext() = 0;
    virtual std::int32_t recordCount() const = 0;
    // The field of the current record as text; "" for a Null or binary value. A field the
    // record does not have is an error (std::runtime_error naming it).
    virtual QString contingutCamp(const QString& camp) = 0;
};

// An in-memory worksheet: row 1 is files[0], column A is files[r][0].
class FullMemoria : public FullDades {
public:
    explicit FullMemoria(QList<QStringList> files) : files_(std::move(files)) {}
    bool contingut(const QString& columna, std::int32_t fila, QString& text) override;

private:
    QList<QStringList> files_;
};

// An in-memory table: field names and one list of values per record.
class RegistresMemoria : public RegistresDades {
public:
    RegistresMemoria(QStringList camps, QList<QStringList> registres)
        : camps_(std::move(camps)), registres_(std::move(registres)) {}
    bool eof() const override { return actual_ >= registres_.size(); }
    void moveFirst() override { actual_ = 0; }
    void moveLast() override { actual_ = registres_.isEmpty() ? 0 : registres_.size() - 1; }
    void moveNext() override;
    std::int32_t recordCount() const override { return std::int32_t(registres_.size()); }
    QString contingutCamp(const QString& camp) override;

private:
    QStringList camps_;
    QList<QStringList> registres_;
    qsizetype actual_ = 0;
};

} // namespace generar_doc
