#pragma once
// The web banner of the wizard window, apart from its control: the settings it is built
// from, the address it navigates to and the rule that the window grows once, only after
// the page has loaded.
#include <QString>
#include <cstdint>

namespace ModTolvWiz {

// The machine-wide "Banner" settings: "altura" (pixels) and "url" (address without query).
struct ConfigBanner {
    std::int16_t altura = 0;
    QString url;
};
ConfigBanner LlegirConfigBanner();

// The banner height in twips: pixels × twips per pixel, to the nearest whole number (half
// to even); a negative setting gives no height.
std::int32_t AlturaBannerTwips(int alturaPixels, double twipsPerPixel);

// "?LID=<lid>&versio=<version>&altura=<pixels>&aplicacio_office=<host>", nothing escaped.
QString ConsultaBanner(std::uint32_t lid, const QString& versio, int alturaPixels, const QString& programaOffice);
// The address navigated to: the "url" setting followed directly by the query, built from
// the update settings' statistics identifier and log version.
QString AdrecaBanner(const ConfigBanner& config, const QString& programaOffice);

// Not started → navigating → shown (the window grew once) or failed (the window as it was).
class EstatBanner {
public:
    enum class Fase { NoIniciat, Navegant, Mostrat, Fallat };

    // Carga_Banner: BannerCargado := False.
    void Iniciar() { fase_ = Fase::Navegant; }
    // A page (or a frame of it) has loaded: true only the first time after Iniciar, when
    // the window is to grow and show the banner.
    bool DocumentComplete();
    // Navigation failed: no later page makes the window grow.
    void NavigateError();

    bool BannerCargado() const { return fase_ == Fase::Mostrat || fase_ == Fase::Fallat; }
    Fase fase() const { return fase_; }

private:
    Fase fase_ = Fase::NoIniciat;
};

} // namespace ModTolvWiz
