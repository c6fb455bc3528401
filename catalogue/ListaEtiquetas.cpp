#include "catalogue/ListaEtiquetas.h"

#include "catalogue/Cataleg.h"
#include "catalogue/Unidades.h"
#include "common/BasicRules.h"
#include "common/ModReg.h"
#include "common/ModTraduccion.h"
#include "common/MsgBox.h"

#include <QLocale>
#include <cstring>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

// ---------------------------------------------------------------------------------------------
// The list model

namespace {

// The list keeps its lines in text order as a sorted list box does: without regard to case.
// Compared in place, since folding a copy of every line costs more than the sort itself.
inline char16_t pliega(char16_t c)
{
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

bool antesQue(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t ca = a[i].unicode(), cb = b[i].unicode();
        if (ca == cb)
            continue;
        const char16_t fa = pliega(ca), fb = pliega(cb);
        if (fa != fb)
            return fa < fb;
    }
    return a.size() < b.size();
}

} // namespace

ModeloEtiquetas::ModeloEtiquetas(QObject* parent) : QAbstractListModel(parent) {}

int ModeloEtiquetas::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(lineas_.size());
}

QVariant ModeloEtiquetas::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= lineas_.size())
        return {};
    if (role == Qt::DisplayRole)
        return lineas_[index.row()].first;
    if (role == RolItemData)
        return lineas_[index.row()].second;
    return {};
}

QString ModeloEtiquetas::List(int i) const
{
    return i >= 0 && i < lineas_.size() ? lineas_[i].first : QString();
}

int ModeloEtiquetas::ItemData(int i) const
{
    return i >= 0 && i < lineas_.size() ? lineas_[i].second : -1;
}

bool ModeloEtiquetas::setListIndex(int i)
{
    if (i < -1 || i >= lineas_.size())
        return false;
    listIndex_ = i;
    return true;
}

void ModeloEtiquetas::Clear()
{
    beginResetModel();
    lineas_.clear();
    endResetModel();
    setListIndex(-1);
}

int ModeloEtiquetas::AddItem(const QString& texto, int itemData)
{
    const auto pos = std::upper_bound(lineas_.begin(), lineas_.end(), texto,
                                      [](const QString& t, const QPair<QString, int>& l) { return antesQue(t, l.first); })
        - lineas_.begin();
    beginInsertRows(QModelIndex(), int(pos), int(pos));
    lineas_.insert(pos, {texto, itemData});
    endInsertRows();
    if (listIndex_ >= pos)
        ++listIndex_;
    return int(pos);
}

void ModeloEtiquetas::SetLines(QList<QPair<QString, int>> lineas)
{
    beginResetModel();
    lineas_ = std::move(lineas);
    std::stable_sort(lineas_.begin(), lineas_.end(),
                     [](const QPair<QString, int>& a, const QPair<QString, int>& b) { return antesQue(a.first, b.first); });
    endResetModel();
    listIndex_ = -1;
}

// ---------------------------------------------------------------------------------------------

namespace {

const QString kPalabra = QStringLiteral("KOVEL");

// Descriptions are padded to 255 characters: skip the padding 32, then 4 characters at a time.
QStringView rtrimV(QStringView s)
{
    qsizetype n = s.size();
    static const std::array<char16_t, 32> blancos = [] {
        std::array<char16_t, 32> b;
        b.fill(u' ');
        return b;
    }();
    while (n >= 32 && std::memcmp(s.utf16() + n - 32, blancos.data(), sizeof blancos) == 0)
        n -= 32;
    constexpr quint64 cuatroBlancos = 0x0020002000200020ULL;
    while (n >= 4) {
        quint64 w;
        std::memcpy(&w, s.utf16() + n - 4, sizeof w);
        if (w != cuatroBlancos)
            break;
        n -= 4;
    }
    while (n > 0 && s[n - 1] == u' ')
        --n;
    return s.first(n);
}

qsizetype largoRecortado(QStringView s)
{
    s = rtrimV(s);
    qsizetype a = 0;
    while (a < s.size() && s[a] == u' ')
        ++a;
    return s.size() - a;
}

QString conSeparadorUsuario(QString texto)
{
    const QString sep = QLocale().decimalPoint();
    if (sep != QLatin1String("."))
        texto.replace(QLatin1Char('.'), sep);
    return texto;
}

// CLng of a whole text: the text must be a number and nothing else, and fit 32 bits.
bool textoEsEntero32(const QString& texto)
{
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return false;
    qsizetype i = 0;
    if (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))
        ++i;
    if (i + 1 < t.size() && t[i] == QLatin1Char('&') && (t[i + 1] == QLatin1Char('H') || t[i + 1] == QLatin1Char('O'))) {
        const bool hex = t[i + 1] == QLatin1Char('H');
        bool ok = false;
        const qlonglong v = t.mid(i + 2).toLongLong(&ok, hex ? 16 : 8);
        return ok && v <= 0xFFFFFFFFLL;
    }
    bool digitos = false;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128) {
        ++i;
        digitos = true;
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && t[i].unicode() < 128 && t[i].isDigit()) {
            ++i;
            digitos = true;
        }
    }
    if (!digitos)
        return false;
    if (i < t.size() && (t[i] == QLatin1Char('E') || t[i] == QLatin1Char('D'))) {
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        bool exp = false;
        while (i < t.size() && t[i].unicode() < 128 && t[i].isDigit()) {
            ++i;
            exp = true;
        }
        if (!exp)
            return false;
    }
    if (i != t.size())
        return false;
    try {
        kovel::basic::CLng(kovel::basic::Val(t));
    } catch (const kovel::basic::OverflowError&) {
        return false;
    }
    return true;
}

bool lineaTieneCodigo(const Cataleg& cat, int linea, std::int32_t n)
{
    const int i = cat.Lista.ItemData(linea);
    return i >= 0 && i < cat.Etiquetas.size() && i < cat.NumEtiquetas && cat.Etiquetas[i].Codigo == n;
}

void buscaReferencia(Cataleg& cat, QString& texto, bool silencioso, std::int16_t orden,
                     const std::function<void(int)>& cambiaPapel, int profundidad)
{
    using namespace ModTolvWiz;
    texto.replace(QLatin1Char(','), QLatin1Char('.'));
    texto = texto.toUpper();

    std::int32_t n = 0;
    const bool valido = textoEsEntero32(texto);
    bool desborda = false;
    try {
        n = kovel::basic::CLng(kovel::basic::Val(texto));
    } catch (const kovel::basic::OverflowError&) {
        desborda = true;   // a number too large for 32 bits is as invalid as "81A"
    }
    if (desborda || (!valido && n != 0)) {
        mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(102, texto), 48, ModTraduccion::Literal(103));
        return;
    }

    ModeloEtiquetas& lista = cat.Lista;
    for (int linea = 0; linea < lista.ListCount(); ++linea) {
        if (lineaTieneCodigo(cat, linea, n)) {
            lista.setListIndex(linea);
            return;
        }
    }
    if (silencioso) {
        SeleccionarFormat(cat, 0);
        return;
    }

    int encontrado = -1;
    for (int i = 0; i < cat.NumEtiquetas && i < cat.Etiquetas.size(); ++i) {
        if (cat.Etiquetas[i].Codigo == n) {
            encontrado = i;
            break;
        }
    }
    if (encontrado < 0) {
        mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(102, n), 48, ModTraduccion::Literal(103));
        return;
    }
    // The rebuilt list always holds the format; the depth only guards against a list that
    // somehow does not.
    if (profundidad > 0)
        return;

    const int t = cat.Etiquetas[encontrado].TipoPapel;
    const QString nombrePapel = NombresPapel()[std::size_t(std::clamp(t, 0, 4))];
    const auto respuesta = mod_rvtMsgBox::rvtMsgBox(ModTraduccion::Literal(104, n, nombrePapel, nombrePapel), 36,
                                                    ModTraduccion::Literal(105));
    if (respuesta != mod_rvtMsgBox::vbYes)
        return;
    if (t >= 0 && t <= 4 && cambiaPapel)
        cambiaPapel(t);
    Llena_ListaEtiquetas(cat, std::int16_t(t), orden, 0, 0);
    buscaReferencia(cat, texto, silencioso, orden, cambiaPapel, profundidad + 1);
}

} // namespace

namespace ModTolvWiz {

const std::array<QString, 5>& NombresPapel()
{
    static const std::array<QString, 5> nombres{QStringLiteral("A4"), QStringLiteral("Continuous"),
                                                QStringLiteral("Letter"), QStringLiteral("A5"),
                                                QStringLiteral("Thermal")};
    return nombres;
}

QString Normaliza_Numero(QString& s, int n)
{
    s = rtrimV(s).toString();
    qsizetype z = 0;
    while (z < s.size() - 1 && s.at(z) == QLatin1Char('0'))
        ++z;
    // The digits of the value read from s; a plain run of digits is its own value.
    QString digitos;
    const bool soloCifras = !s.isEmpty() && s.size() <= 15
        && std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (soloCifras) {
        digitos = s.mid(z);
    } else {
        double valor = 0;
        try {
            valor = kovel::basic::Round(kovel::basic::Val(s));
        } catch (const kovel::basic::OverflowError&) {
            return s;
        }
        digitos = QString::number(valor, 'f', 0);
    }
    if (digitos.size() >= n)
        return s;
    QString r;
    r.reserve(n + s.size());
    r.append(QString(n - digitos.size(), QLatin1Char('0'))).append(digitos);
    if (s.size() > z + 4)
        r += QStringView(s).mid(z + 4);
    return r;
}

QString Separa_Referencia(const QString& referencia, int ancho, const QString& prefijo, const QString& palabra)
{
    QString numero = rtrimV(referencia).mid(prefijo.size() + 1).toString();
    return palabra + QLatin1Char(' ') + Normaliza_Numero(numero, ancho);
}

QString Formatea_Alineado(double valor, const QString& formato, int ancho)
{
    const qsizetype punto = formato.indexOf(QLatin1Char('.'));
    const int decimales = punto < 0 ? 0 : int(formato.size() - punto - 1);
    QString texto = QString::number(valor, 'f', decimales);
    if (texto.startsWith(QLatin1Char('-')) && texto.mid(1).count(QLatin1Char('0')) + (decimales ? 1 : 0) == texto.size() - 1)
        texto.remove(0, 1);   // "-0.0" is written "0.0"
    if (decimales > 0)
        texto = conSeparadorUsuario(texto);
    if (texto.size() >= ancho)
        return texto;
    return QString(2 * (ancho - texto.size()), QLatin1Char(' ')) + texto;
}

float Minimo(float a, float b) { return a < b ? a : b; }
float Maximo(float a, float b) { return a > b ? a : b; }

void Separa_Primero(const QString& separador, QString& texto, QString& primero)
{
    const qsizetype pos = separador.isEmpty() ? -1 : texto.indexOf(separador, 0, Qt::CaseInsensitive);
    if (pos >= 0) {
        primero = texto.left(pos);
        texto = texto.mid(pos + separador.size());
    } else {
        primero = texto;
        texto.clear();
    }
}

void Antepone_Elemento(const QString& separador, QString& lista, const QString& elemento)
{
    if (!lista.isEmpty())
        lista += separador;
    lista += elemento;
}

QString LineaEtiqueta(const Cataleg& cat, int i, std::int16_t modo, int anchoRef)
{
    if (i < 0 || i >= cat.Etiquetas.size() || i >= cat.EtiquetasExt.size())
        return {};
    const EtiquetaCatalogo& e = cat.Etiquetas[i];
    const EtiquetaExtendida& x = cat.EtiquetasExt[i];
    const QStringView d = rtrimV(e.Descripcion);
    const QLatin1String guion(" - ");
    QString linea;
    switch (modo) {
    case 0: {
        const QString n = Separa_Referencia(e.Referencia, anchoRef, kPalabra, kPalabra);
        linea.reserve(n.size() + 3 + d.size());
        linea.append(n).append(guion).append(d);
        return linea;
    }
    case 1: {
        QString ref = rtrimV(e.Referencia).toString();
        ref.replace(kPalabra, kPalabra, Qt::CaseInsensitive);
        linea.reserve(d.size() + 3 + ref.size());
        linea.append(d).append(guion).append(ref);
        return linea;
    }
    case 2: {
        const QString n = Separa_Referencia(e.Referencia, anchoRef, kPalabra, kPalabra);
        const QString medida = cat.Unidades == 1
            ? Formatea_Alineado(x.AnchoCom * 10, QStringLiteral("##0.0"), 5) + QLatin1String(" x ")
                + Formatea_Alineado(x.AltoCom * 10, QStringLiteral("##0.0"), 5) + QLatin1String(" mm")
            : TextoPulgadas(CmAPulgadas(x.AnchoCom), CmAPulgadas(x.AltoCom));
        linea.reserve(medida.size() + 3 + n.size() + 3 + d.size());
        linea.append(medida).append(guion).append(n).append(guion).append(d);
        return linea;
    }
    default:
        return {};
    }
}

void Llena_ListaEtiquetas(Cataleg& cat, std::int16_t tipoPapel, std::int16_t modo, double anchoFiltro,
                          double altoFiltro)
{
    const int total = std::min<qsizetype>({cat.NumEtiquetas, cat.Etiquetas.size(), cat.EtiquetasExt.size()});
    const float fw = Redondea(float(anchoFiltro), 1);
    const float fh = Redondea(float(altoFiltro), 1);
    std::vector<int> pasan;
    pasan.reserve(total);
    int anchoRef = 0;
    for (int i = 0; i < total; ++i) {
        const EtiquetaCatalogo& e = cat.Etiquetas[i];
        if (e.TipoPapel != tipoPapel)
            continue;
        const EtiquetaExtendida& x = cat.EtiquetasExt[i];
        if (anchoFiltro != 0 && Redondea(float(x.AnchoCom * 10), 1) != fw)
            continue;
        if (altoFiltro != 0 && Redondea(float(x.AltoCom * 10), 1) != fh)
            continue;
        pasan.push_back(i);
        anchoRef = std::max<int>(anchoRef, int(largoRecortado(e.Referencia)) - int(kPalabra.size()) - 1);
    }

    QList<QPair<QString, int>> lineas;
    if (modo >= 0 && modo <= 2) {
        lineas.reserve(qsizetype(pasan.size()));
        for (int i : pasan)
            lineas.append({LineaEtiqueta(cat, i, modo, anchoRef), i});
    }
    cat.Lista.SetLines(std::move(lineas));
    cat.Lista.setFiltro(anchoFiltro, altoFiltro);
}

std::int16_t FormatSeleccionat(const Cataleg& cat)
{
    const ModeloEtiquetas& lista = cat.Lista;
    if (lista.ListIndex() == -1)
        return -1;
    return std::int16_t(lista.ItemData(lista.ListIndex()));
}

std::int16_t IndexFormat(const Cataleg& cat)
{
    return std::int16_t(cat.Lista.ListIndex());
}

void SeleccionarFormat(Cataleg& cat, std::int32_t indice)
{
    ModeloEtiquetas& lista = cat.Lista;
    if (!lista.setListIndex(int(std::clamp<std::int64_t>(indice, -2, lista.ListCount()))))
        lista.setListIndex(lista.ListCount() > 0 ? 0 : -1);
}

void Buscar_Referencia(Cataleg& cat, EstadoListaEtiquetas& estado)
{
    if (estado.txtReferencia.isEmpty())
        return;
    QString texto = estado.txtReferencia;
    Busca_EtiquetaReferencia(cat, texto, false, estado.orden(), estado.cambioPapel);
    if (estado.focoLista)
        estado.focoLista();
}

void Busca_EtiquetaReferencia(Cataleg& cat, QString& texto, bool silencioso, std::int16_t orden,
                              const std::function<void(int)>& cambiaPapel)
{
    buscaReferencia(cat, texto, silencioso, orden, cambiaPapel, 0);
}

void Busca_EtiquetaReferencia(Cataleg& cat, const QString& texto, bool silencioso, std::int16_t orden,
                              const std::function<void(int)>& cambiaPapel)
{
    QString copia = texto;
    buscaReferencia(cat, copia, silencioso, orden, cambiaPapel, 0);
}

void Establece_Orden(Cataleg& cat, EstadoListaEtiquetas& estado, int orden, int tipoPapel)
{
    for (int i = 0; i < 3; ++i)
        estado.optOrden[i] = i == orden;
    if (estado.OrdenEnCurso)
        return;
    estado.OrdenEnCurso = true;

    ModeloEtiquetas& lista = cat.Lista;
    const int posicion = lista.ListIndex();
    const int format = lista.ItemData(posicion);
    if (tipoPapel >= 0)
        Llena_ListaEtiquetas(cat, std::int16_t(tipoPapel), std::int16_t(orden), lista.AnchoFiltro(), lista.AltoFiltro());
    // The same format stays selected wherever the new order puts it (its old position would
    // now hold another format); a format the new list lacks leaves the position as it was.
    int linia = posicion;
    for (int i = 0; format >= 0 && i < lista.ListCount(); ++i)
        if (lista.ItemData(i) == format) {
            linia = i;
            break;
        }
    lista.setListIndex(linia);   // a position the new list lacks is ignored
    if (estado.focoLista)
        estado.focoLista();
    estado.OrdenEnCurso = false;
}

bool Autocompleta_Orden(Cataleg& cat, EstadoListaEtiquetas& estado, int tipoPapel)
{
    ComboEstado& cbo = estado.cboOrdenar;
    if (cbo.listIndex < 0 || cbo.listIndex >= cbo.entradas.size()) {
        cbo.listIndex = -1;
        if (!cbo.texto.isEmpty()) {
            for (int i = 0; i < cbo.entradas.size(); ++i) {
                if (cbo.entradas[i].startsWith(cbo.texto, Qt::CaseInsensitive)) {
                    const int tecleado = int(cbo.texto.size());
                    cbo.listIndex = i;
                    cbo.texto = cbo.entradas[i];
                    cbo.selStart = tecleado;
                    cbo.selLength = int(cbo.texto.size()) - tecleado;
                    break;
                }
            }
        }
        if (cbo.listIndex == -1) {
            if (cbo.entradas.isEmpty())
                return false;
            cbo.listIndex = 0;
            cbo.texto = cbo.entradas[0];
        }
    }
    Establece_Orden(cat, estado, cbo.listIndex, tipoPapel);
    return true;
}

void Selecciona_Medida(Cataleg& cat, EstadoListaEtiquetas& estado, int tipoPapel)
{
    ComboEstado& cbo = estado.cboMides;
    if (cbo.listIndex >= cbo.entradas.size())
        cbo.listIndex = -1;
    if (cbo.listIndex == -1 && !cbo.texto.isEmpty()) {
        for (int i = 0; i < cbo.entradas.size(); ++i) {
            if (cbo.entradas[i].compare(cbo.texto, Qt::CaseInsensitive) == 0) {
                cbo.listIndex = i;
                cbo.texto = cbo.entradas[i];
                break;
            }
        }
    }
    if (cbo.listIndex != -1)
        Filtra_PorMedidas(cat, estado, tipoPapel);
}

void Filtra_PorMedidas(Cataleg& cat, EstadoListaEtiquetas& estado, int tipoPapel)
{
    ComboEstado& cbo = estado.cboMides;
    estado.FiltroAncho = 0;
    estado.FiltroAlto = 0;
    if (cbo.listIndex >= 0 && cbo.listIndex < cbo.entradas.size()
        && cbo.entradas[cbo.listIndex] != ModTraduccion::Literal(29) && cbo.listIndex < estado.MedidasFiltro.size()) {
        estado.FiltroAncho = estado.MedidasFiltro[cbo.listIndex].first;
        estado.FiltroAlto = estado.MedidasFiltro[cbo.listIndex].second;
    }
    const std::int16_t papel = std::int16_t(tipoPapel >= 0 ? tipoPapel : PapelTermico);
    const std::int16_t orden = estado.orden();
    ModeloEtiquetas& lista = cat.Lista;
    if (estado.FiltroAncho != 0) {
        Llena_ListaEtiquetas(cat, papel, orden, estado.FiltroAncho, estado.FiltroAlto);
        if (lista.ListCount() > 0)
            lista.setListIndex(0);
        // Keep the search caption only once: a second filter in a row must not lose it.
        if (!estado.captionBusquedaNegrita)
            estado.captionBusquedaGuardada = estado.captionBusqueda;
        estado.captionBusqueda = kovel::basic::CStr(estado.FiltroAncho) + QLatin1String(" x ")
            + kovel::basic::CStr(estado.FiltroAlto);
        estado.captionBusquedaNegrita = true;
    } else {
        // Only a caption that was set aside comes back; otherwise the search caption stays.
        if (estado.captionBusquedaNegrita)
            estado.captionBusqueda = estado.captionBusquedaGuardada;
        estado.captionBusquedaNegrita = false;
        cbo.texto.clear();
        cbo.listIndex = -1;
        Llena_ListaEtiquetas(cat, papel, orden, 0, 0);
    }
}

void Llena_MedidasFiltro(const Cataleg& cat, EstadoListaEtiquetas& estado, std::int16_t tipoPapel)
{
    // Rounded as the list builder rounds them, so that every entry lists at least one format.
    std::vector<std::pair<float, float>> medidas;
    const int total = std::min<qsizetype>({cat.NumEtiquetas, cat.Etiquetas.size(), cat.EtiquetasExt.size()});
    for (int i = 0; i < total; ++i)
        if (cat.Etiquetas[i].TipoPapel == tipoPapel)
            medidas.emplace_back(Redondea(float(cat.EtiquetasExt[i].AnchoCom * 10), 1),
                                 Redondea(float(cat.EtiquetasExt[i].AltoCom * 10), 1));
    std::sort(medidas.begin(), medidas.end());
    medidas.erase(std::unique(medidas.begin(), medidas.end()), medidas.end());

    ComboEstado& cbo = estado.cboMides;
    cbo.entradas = {ModTraduccion::Literal(29)};
    cbo.listIndex = -1;
    cbo.texto.clear();
    estado.MedidasFiltro = {{0, 0}};
    for (const auto& [ancho, alto] : medidas) {
        // A width of 0 would mean "no filter" to the filter; such a size is not offered.
        if (ancho <= 0)
            continue;
        // Held as the decimal numbers they show (99.1, not the single 99.0999985), so that the
        // caption of the filter reads as the entry.
        const QString w = kovel::basic::CStrSingle(ancho), h = kovel::basic::CStrSingle(alto);
        cbo.entradas << w + QLatin1String(" x ") + h + QLatin1String(" mm");
        estado.MedidasFiltro.append({w.toDouble(), h.toDouble()});
    }
}

void Filtra_TeclaReferencia(Cataleg& cat, EstadoListaEtiquetas& estado, std::int16_t& tecla)
{
    if (tecla == 13) {
        tecla = 0;
        Buscar_Referencia(cat, estado);
    }
    if (tecla < 0 || kovel::basic::TeclaDeNumero(char16_t(tecla)))
        return;
    tecla = 0;
    if (estado.pitido)
        estado.pitido();
}

void Selecciona_TextoReferencia(EstadoListaEtiquetas& estado)
{
    estado.txtReferenciaSelStart = 0;
    estado.txtReferenciaSelLength = int(estado.txtReferencia.size());
}

} // namespace ModTolvWiz
