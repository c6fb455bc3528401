#include "common/ModReg.h"

#include "common/Cp1252.h"
#include "common/ModTraduccion.h"
#include "platform/paths/Paths.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QLocale>

#include <algorithm>
#include <limits>

namespace ModReg {

const QString ClauProducte = QStringLiteral("Software\\KOVEL Systems\\KOVEL Videvoviv\\6\\");

namespace {

kovel::registry::Store store(Root root)
{
    return root == Root::LocalMachine ? kovel::registry::machine() : kovel::registry::user();
}

// A value's data as the registry hands it out whatever its type: a text as its ANSI bytes
// and a NUL, a dword as its 4 little-endian bytes, other data as stored.
QByteArray dades(const kovel::registry::Value& v)
{
    using Type = kovel::registry::Value::Type;
    switch (v.type) {
    case Type::String:
        return kovel::cp1252::fromUnicode(v.text) + QByteArray(1, '\0');
    case Type::Dword: {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = char((v.dword >> (8 * i)) & 0xFF);
        return b;
    }
    case Type::Binary:
        return v.bytes;
    }
    return {};
}

} // namespace

QString TreureNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString ProblemaFitxer(Root root) { return store(root).damage(); }

QString LlegirCadena(Root root, const QString& keyPath, const QString& valueName)
{
    const auto v = store(root).value(keyPath, valueName);
    if (!v)
        return {};
    // The type is not checked: a number reads as the characters of its bytes.
    if (v->type == kovel::registry::Value::Type::String)
        return TreureNul(v->text);
    return TreureNul(kovel::cp1252::toUnicode(dades(*v)));
}

std::int16_t LlegirEnter(Root root, const QString& keyPath, const QString& valueName)
{
    const auto v = store(root).value(keyPath, valueName);
    if (!v)
        return 0;
    const QByteArray data = dades(*v);
    if (data.size() > 4)
        return 0;
    std::uint32_t u = 0;
    for (qsizetype i = 0; i < data.size(); ++i)
        u |= std::uint32_t(static_cast<unsigned char>(data[i])) << (8 * i);
    // Out of the 16-bit range the nearest bound is given rather than an error: no setting
    // needs more, and a stray value must not end the program.
    const auto s = static_cast<std::int32_t>(u);
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(s, std::numeric_limits<std::int16_t>::min(),
                                                              std::numeric_limits<std::int16_t>::max()));
}

void EscriureCadena(Root root, const QString& keyPath, const QString& valueName, const QString& text)
{
    store(root).setValue(keyPath, valueName, kovel::registry::Value::string(TreureNul(text)));
}

void DesarCadena(Root root, const QString& keyPath, const QString& valueName, const QString& text)
{
    EscriureCadena(root, keyPath, valueName, text);
}

void EscriureEnter(Root root, const QString& keyPath, const QString& valueName, std::int32_t value)
{
    store(root).setValue(keyPath, valueName, kovel::registry::Value::fromDword(static_cast<std::uint32_t>(value)));
}

void EsborrarValor(Root root, const QString& keyPath, const QString& valueName)
{
    store(root).removeValue(keyPath, valueName);
}

void DesarSeleccio(const QString& name, const QString& text)
{
    EscriureCadena(HKEY_CURRENT_USER, ClauProducte + QStringLiteral("Selec"), name, text);
}

QString LlegirSeleccio(const QString& name)
{
    return LlegirCadena(HKEY_CURRENT_USER, ClauProducte + QStringLiteral("Selec"), name);
}

void EsborrarLlista(const QString& listName)
{
    EsborrarValor(HKEY_CURRENT_USER, ClauProducte + QStringLiteral("Listas"), listName);
    for (const char* suffix : {".2", ".4", ".51", ".52"})
        EsborrarValor(HKEY_CURRENT_USER, ClauProducte + QStringLiteral("ListasEx"), listName + QLatin1String(suffix));
}

std::int16_t LlegirJocCaracters()
{
    return LlegirEnter(HKEY_LOCAL_MACHINE, ClauProducte + QStringLiteral("JocCaracters"), QString());
}

QString CarpetaPersonal()
{
    const QString stored = LlegirCadena(HKEY_CURRENT_USER,
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
        QStringLiteral("Personal"));
    // Nobody writes that value on this system: the desktop's documents folder stands for it.
    return stored.isEmpty() ? kovel::paths::documentsDir() : stored;
}

QChar SeparadorLlista()
{
    // The locale has no list separator of its own; the system convention is ";" where the
    // decimal separator is a comma, else ",".
    QString buffer;
    const QLocale locale = QLocale::system();
    if (locale.language() != QLocale::C)
        buffer = locale.decimalPoint() == QStringLiteral(",") ? QStringLiteral(";") : QStringLiteral(",");
    if (buffer.isEmpty())
        buffer = ModTraduccion::Literal(4001);
    return buffer.isEmpty() ? QChar(u',') : buffer.at(0);
}

QString RutaPrograma()
{
    return kovel::paths::programDir();
}

void InicialitzarRutesOffice()
{
    QDir::setCurrent(RutaPrograma());
}

} // namespace ModReg
