#pragma once
// The literals file "LITER.UNI": texts by number or by window and control key.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <initializer_list>

class QWidget;

namespace ModTraduccion {

bool CarregarLiterals(QString& message);
// Loads from an explicit file (tests, tools); CarregarLiterals uses the program folder.
bool CarregarLiteralsDe(const QString& path, QString& message);

QString CercarLiteral(const QString& key);

// Text of literal `number` with "%1", "%2"... filled by the arguments (a null QVariant
// gives the empty text) and "\n" turned into a carriage return.
QString LiteralV(int number, const QList<QVariant>& arguments);
template <typename... Args>
QString Literal(int number, const Args&... args)
{
    return LiteralV(number, QList<QVariant>{QVariant::fromValue(args)...});
}

// Translates a window: caption, character set, reading direction, every control's text.
void TraduirFormulari(QWidget* window);

bool ExisteixFitxer(const QString& path);
QString Reemplacar(const QString& text, const QString& search, const QString& replacement, int count);
int BytesAText(QString& text, const QByteArray& bytes);

} // namespace ModTraduccion
