#include "wizard/panels/CodisDisseny.h"

#include "catalogue/Catalogo.h"
#include "common/BasicRules.h"
#include "common/ModTolvWiz.h"
#include "documents/FontDades.h"
#include "documents/generar_doc.h"
#include "platform/word/Document.h"
#include "wizard/EstatAssistent.h"
#include "wizard/panels/PasDisseny.h"
#include "wizard/panels/PasFinal.h"
#include "wizard/panels/PasOrigen.h"

#include <exception>

namespace kovel::wizard {

CodisDisseny::CodisDisseny(EstatAssistent& estat, std::function<std::optional<QSizeF>(const generar_doc::MidesFull&)> espaiMarc,
                           std::function<bool()> teDocument)
    : estat_(estat), espaiMarc_(std::move(espaiMarc)), teDocument_(std::move(teDocument))
{
}

CodisDisseny::~CodisDisseny() = default;

QStringList CodisDisseny::Camps() const { return estat_.pasDisseny().mnuCampo; }

QStringList CodisDisseny::Titols() const
{
    FontAssistent* font = estat_.font();
    const std::int32_t fila = estat_.pasDisseny().FilaTitols;
    const std::int32_t full = estat_.pasOrigen().LstHojasIndex + 1;
    if (!font || !estat_.esExcel() || full < 1 || fila < 1)
        return {};
    QStringList noms;
    try {
        generar_doc::FullDades* dades = font->full(full);
        if (!dades)
            return {};
        for (const QString& camp : Camps()) {
            QString text;
            dades->contingut(camp, fila, text);
            noms << text.trimmed();
        }
    } catch (const std::exception& ex) {
        ModTolvWiz::Escribe_Log(QStringLiteral("Header row: ") + QString::fromLocal8Bit(ex.what()));
        return {};
    }
    return noms;
}

QStringList CodisDisseny::Rotols() const { return kovel::codes::RotolsCamps(Camps(), Titols()); }

QString CodisDisseny::ValorMostra(const QString& camp)
{
    const PasOrigen& o = estat_.pasOrigen();
    FontAssistent* font = estat_.font();
    if (!font)
        return {};
    try {
        if (estat_.esExcel() && o.LstHojasIndex >= 0) {
            generar_doc::FullDades* full = font->full(o.LstHojasIndex + 1);
            const double fila = kovel::basic::Val(estat_.pasFinal().txtFila_inicial);
            QString text;
            if (full && fila >= 1 && fila <= 2147483647.0 && full->contingut(camp, std::int32_t(fila), text))
                return text;
        } else if (estat_.esAccess() && o.LstTablasIndex >= 0 && o.LstTablasIndex < o.LstTablas.size()) {
            std::unique_ptr<generar_doc::RegistresDades> rs = font->registres(o.LstTablas[o.LstTablasIndex]);
            if (rs && !rs->eof())
                return rs->contingutCamp(camp);
        }
    } catch (const std::exception& ex) {
        ModTolvWiz::Escribe_Log(QStringLiteral("Sample value of %1: %2").arg(camp, QString::fromLocal8Bit(ex.what())));
    }
    return {};
}

kovel::word::Range* CodisDisseny::Seleccio()
{
    if (!teDocument_())
        return nullptr;
    if (!esborrany_)
        esborrany_ = kovel::word::Document::create();
    return &esborrany_->selection();
}

std::optional<QSizeF> CodisDisseny::EspaiCodi()
{
    const Cataleg& cat = estat_.cataleg();
    const int idx = ModTolvWiz::FormatSeleccionat(cat);
    if (!teDocument_() || idx < 0 || idx >= cat.Etiquetas.size())
        return std::nullopt;
    try {
        return espaiMarc_(generar_doc::MidesDeCatalogo(cat, idx));
    } catch (const generar_doc::GeneracioError& ex) {
        ModTolvWiz::Escribe_Log(ex.message());
        return std::nullopt;
    }
}

std::vector<kovel::word::InlinePicture> CodisDisseny::Recull()
{
    std::vector<kovel::word::InlinePicture> fotos;
    if (esborrany_)
        for (const kovel::word::InlinePicture* p : esborrany_->inlinePictures())
            fotos.push_back(*p);
    esborrany_.reset();
    return fotos;
}

} // namespace kovel::wizard
