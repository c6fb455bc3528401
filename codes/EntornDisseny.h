#pragma once
// What the code dialogs need of the wizard: the data fields of the chosen source, a
// record's sample value, and the place in the design document where pictures go. The
// wizard installs its implementation; tests install their own.
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace kovel::word { class Range; }

namespace kovel::codes {

class EntornDisseny {
public:
    virtual ~EntornDisseny() = default;
    // Captions of the wizard's field menu, in order.
    virtual QStringList Camps() const = 0;
    // The header name of each field of Camps(), in the same order, when the source's first
    // row is a header row; empty otherwise.
    virtual QStringList Titols() const { return {}; }
    // The field's value in the first row of the selected worksheet (Excel host) or the
    // first record of the selected table or query (Access host), as text.
    virtual QString ValorMostra(const QString& camp) = 0;
    // The selection of the design document, where a code picture is inserted; nullptr when
    // no design is open.
    virtual kovel::word::Range* Seleccio() = 0;
    // The room (points) a code put at the selection has on its label, as the generation
    // gives a record's code there; none when it is not known (no limit).
    virtual std::optional<QSizeF> EspaiCodi() { return std::nullopt; }
};

// Whether the host hands records over (Excel or Access): only then can a code be linked
// to a data field.
bool HostAmbCamps();

// What a field list shows of each field: its name, and beside it its header name when the
// source has one ("A — Name").
QStringList RotolsCamps(const QStringList& camps, const QStringList& titols);

// A code dialog's data fields as the wizard hands them over: their names, what the lists
// show of each (RotolsCamps), and how many times they were read, so a view refills its lists
// once per reading.
class CampsEntorn {
public:
    // Reads them again from the wizard (none without one).
    void Omplir();
    const QStringList& Llista() const { return camps_; }
    const QStringList& Rotols() const { return rotols_; }
    int Ompliments() const { return ompliments_; }

private:
    QStringList camps_, rotols_;
    int ompliments_ = 0;
};

// nullptr: no wizard (the dialogs then list no fields and cannot insert).
void EstablirEntorn(EntornDisseny* entorn);
EntornDisseny* Entorn();

} // namespace kovel::codes
