#pragma once
// What the design panel gives the code dialogs, without its window: the data fields and the
// names of the worksheet's header row beside them (the same captions for the data-field menu
// and the dialogs' lists), a record's sample value, the scratch document the dialogs insert
// into, and the room a code has at the frame's selection on the chosen format's label. The
// window hands over only the frame's room at a label of given measures.
#include "codes/EntornDisseny.h"
#include "documents/Geometria.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kovel::word { class Document; class InlinePicture; }

namespace kovel::wizard {

class EstatAssistent;

class CodisDisseny : public kovel::codes::EntornDisseny {
public:
    // `espaiMarc(m)`: the room (points) at the frame's selection on a label of `m`, none
    // without a design; `teDocument`: whether the frame holds a design.
    CodisDisseny(EstatAssistent& estat, std::function<std::optional<QSizeF>(const generar_doc::MidesFull&)> espaiMarc,
                 std::function<bool()> teDocument);
    ~CodisDisseny() override;

    QStringList Camps() const override;
    // The names in the worksheet's row of column titles, when the design panel found one.
    QStringList Titols() const override;
    // What the data-field menu and the dialogs' lists show of each field: "A — NAME".
    QStringList Rotols() const;
    // The field's value in the first row to print of the chosen worksheet, or in the first
    // record of the chosen table or query. A source that fails gives no sample.
    QString ValorMostra(const QString& camp) override;
    kovel::word::Range* Seleccio() override;
    // The room a code gets at the frame's selection, on the chosen format's label.
    std::optional<QSizeF> EspaiCodi() override;

    // The pictures the dialog made, in their order; the scratch document is emptied.
    std::vector<kovel::word::InlinePicture> Recull();

private:
    EstatAssistent& estat_;
    std::function<std::optional<QSizeF>(const generar_doc::MidesFull&)> espaiMarc_;
    std::function<bool()> teDocument_;
    std::unique_ptr<kovel::word::Document> esborrany_;
};

} // namespace kovel::wizard
