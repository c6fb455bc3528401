#pragma once
// What the program's windows are built with: geometry designed in twips for a screen of
// 15 twips a pixel (96 dpi), child controls made by name, texts of a window by key.
#include "common/ModTraduccion.h"
#include "common/Visual.h"

#include <QColor>
#include <QDialog>
#include <QLatin1String>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace kovel::ui {

inline constexpr int TwipsPixel = int(Visual::TwipsPixelDisseny);

constexpr int Px(int twips) { return twips / TwipsPixel; }
constexpr int PxATwips(int pixels) { return pixels * TwipsPixel; }

// A rectangle designed in twips, in pixels.
inline QRect Tw(int x, int y, int w, int h) { return QRect(Px(x), Px(y), Px(w), Px(h)); }

// A child control of `parent`, named as the window's code and tests find it.
template <typename T>
T* Control(QWidget* parent, const char* name, const QRect& r)
{
    auto* c = new T(parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(r);
    return c;
}

// A text of a window by key, with the English text when the literals lack it.
inline QString TextFinestra(const QString& key, const QString& fallback)
{
    const QString t = ModTraduccion::CercarLiteral(key);
    return t.isEmpty() ? fallback : t;
}

// A dialog that may refuse to close (a change not yet inserted, an insertion under way):
// the title bar's close, Esc and Cancel all ask potTancar. Once the dialog is closing
// (potTancar agreed, or the dialog accepted and set tancant_) it no longer asks, until it
// is shown again. It has no signals or slots of its own, so no Q_OBJECT.
class DialegTancable : public QDialog {
public:
    using QDialog::QDialog;

protected:
    virtual bool potTancar() = 0;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;
    bool tancant_ = false;
};

// Colours as Basic numbers (&HBBGGRR, red in the low byte) and as Qt colours.
QColor ColorDeBasic(std::uint32_t basic);
std::uint32_t BasicDeColor(const QColor& c);

// The desktop's colour dialog on an &HBBGGRR colour: true with the colour chosen, false
// (colour unchanged) when the user cancelled.
bool TriarColor(QWidget* parent, std::uint32_t& colour);

} // namespace kovel::ui
