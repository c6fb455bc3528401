#pragma once
// The installers' texts, read from "Literales.dat" beside them: sections of a header line
// ("[TOLVTOOLTIP]") and one value line, in the ANSI code page.
#include <QIODevice>
#include <QString>

namespace Literales_Instalador {

struct Texts {
    QString jocCaracters;          // [JOCCARACTERS]
    QString tolvTooltip;           // [TOLVTOOLTIP]
    QString toolsMenuText;         // [TOOLSMENUTEXT]
    QString helpsMenuText;         // [HELPSMENUTEXT] (read, not used)
    QString msgInstalarWord;       // [MSGINSTALAR_WORD]
    QString msgDesinstalarWord;    // [MSGDESINSTALAR_WORD]
    QString msgInstalarAccess;     // [MSGINSTALAR_ACCESS]
    QString msgDesinstalarAccess;  // [MSGDESINSTALAR_ACCESS]
    QString msgInstalarExcel;      // [MSGINSTALAR_EXCEL]
    QString msgDesinstalarExcel;   // [MSGDESINSTALAR_EXCEL]
};

// Reads every section of carpeta + "/Literales.dat" into the texts; a section that is not
// there leaves its text as it was, and so does a file that is missing or cannot be read.
void LlegirLiterals(Texts& texts, const QString& carpeta);

// Looks the header up from the start of the file (exact comparison; the first one wins)
// and reads the line after it into `target`. A header that is missing, or that ends the
// file, leaves the target unchanged.
void LlegirSeccio(QIODevice& file, const QString& header, QString& target);

// The character set of the window texts: the leading number of [JOCCARACTERS], 0 when
// there is none.
int JocCaracters(const Texts& texts);

} // namespace Literales_Instalador
