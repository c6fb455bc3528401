#pragma once
// Texts in Latin, Cyrillic, Greek and kanji holding a backslash and the contact card's
// reserved characters, as users write them; the QR tests read each back exactly.
#include <QStringList>

namespace kovel::proves {

inline QStringList TextsEscriptures()
{
    return {QStringLiteral("Caf\u00e9 C:\\temp ~;:, 25\u00b0C \u2014 x"),
            QStringLiteral("\u041f\u0443\u0442\u044c C:\\temp ~;:, \u2014 \u041a\u0438\u0457\u0432"),
            QStringLiteral("\u0391\u0398\u0397\u039d\u0391 C:\\x ~;:, \u2014"),
            QStringLiteral("\u6771\u4eac C:\\dir ~;:, \u2014 \u00a5\u203e"),
            // Without a tilde, Shift JIS would take these and turn each backslash.
            QStringLiteral("Caf\u00e9 25\u00b0C"), QStringLiteral("\u041f\u0443\u0442\u044c C:\\temp;:,"),
            QStringLiteral("\u6771\u4eac C:\\dir;:,")};
}

} // namespace kovel::proves
