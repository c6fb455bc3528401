#pragma once
// Text measured as the word processor draws it: in the font file fontconfig matches for the
// font a run names (what LibreOffice draws on this machine, a stand-in when the named font is
// not installed), from the font's own design metrics, unhinted.
#include "platform/word/Document.h"

#include <QString>

namespace generar_doc {

// Points of the font size, for one font.
struct MetriquesLinia {
    double linia = 1.2;    // a line's height
    double descens = 0.25; // how far its text hangs below the baseline
};

class MetricaLletra {
public:
    // Points `text` takes in run format `f`, kerning left out (which only narrows a text).
    static double Ample(const QString& text, const kovel::word::RunFormat& f);
    // The line of format `f`, in points of its size: never under 1.2 and 0.25.
    static MetriquesLinia Linia(const kovel::word::RunFormat& f);
    // The file fontconfig matches for `f` (empty when none): what the measures read.
    static QString Fitxer(const kovel::word::RunFormat& f);
};

// A run's font size, in points: the word processor's 12 when it names none.
inline double MidaDe(const kovel::word::RunFormat& f) { return f.size ? f.size->value : 12.0; }

} // namespace generar_doc
