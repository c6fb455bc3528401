#pragma once
// Lengths of the word-processor layer as small value types. A .docx stores page set-up,
// row heights, cell widths and paddings in twips (1/20 pt), font sizes in half-points and
// picture extents in EMU (12700 per point); callers work in points and read back what the
// file keeps, so a size set is rounded to the file's grid exactly once.
#include <cmath>
#include <cstdint>

namespace kovel::word {

struct Points {
    double value = 0.0;
    constexpr Points() = default;
    constexpr explicit Points(double v) : value(v) {}
    friend constexpr bool operator==(Points, Points) = default;
    friend constexpr auto operator<=>(Points, Points) = default;
    friend constexpr Points operator+(Points a, Points b) { return Points(a.value + b.value); }
    friend constexpr Points operator-(Points a, Points b) { return Points(a.value - b.value); }
    friend constexpr Points operator*(Points a, double k) { return Points(a.value * k); }
};

struct Twips {
    int value = 0;
    constexpr Twips() = default;
    constexpr explicit Twips(int v) : value(v) {}
    friend constexpr bool operator==(Twips, Twips) = default;
    friend constexpr auto operator<=>(Twips, Twips) = default;
};

struct Centimetres {
    double value = 0.0;
    constexpr Centimetres() = default;
    constexpr explicit Centimetres(double v) : value(v) {}
    friend constexpr bool operator==(Centimetres, Centimetres) = default;
    friend constexpr auto operator<=>(Centimetres, Centimetres) = default;
};

// English Metric Units, the unit of drawing extents.
struct Emu {
    std::int64_t value = 0;
    constexpr Emu() = default;
    constexpr explicit Emu(std::int64_t v) : value(v) {}
    friend constexpr bool operator==(Emu, Emu) = default;
};

// The word processor's own conversion: 72 points an inch, 2.54 cm an inch, computed in
// single precision as its automation interface returns it.
inline Points centimetresToPoints(Centimetres c) {
    return Points(static_cast<float>(static_cast<float>(c.value) * 72.0f / 2.54f));
}
inline Centimetres pointsToCentimetres(Points p) {
    return Centimetres(static_cast<float>(static_cast<float>(p.value) * 2.54f / 72.0f));
}

// Nearest twip, halves away from zero (what the word processor writes for a size in points).
inline Twips toTwips(Points p) { return Twips(static_cast<int>(std::lround(p.value * 20.0))); }
inline Points toPoints(Twips t) { return Points(t.value / 20.0); }
inline Emu toEmu(Points p) { return Emu(std::llround(p.value * 12700.0)); }
inline Points toPoints(Emu e) { return Points(static_cast<double>(e.value) / 12700.0); }
inline Twips toTwips(Centimetres c) { return toTwips(centimetresToPoints(c)); }

} // namespace kovel::word
