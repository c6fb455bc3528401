#include "documents/guardar.h"

#include "common/Cp1252.h"
#include "platform/files/Bloqueig.h"
#include "platform/files/EscripturaAtomica.h"

#include <algorithm>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSet>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace guardar {

namespace {

// Reads the packed little-endian members, refusing to step past the end.
class Lector {
public:
    explicit Lector(QByteArrayView d) : d_(d) {}
    bool fi() const { return pos_ >= d_.size(); }
    qsizetype pos() const { return pos_; }
    qsizetype resta() const { return d_.size() - pos_; }

    bool bytes(void* out, qsizetype n)
    {
        if (n < 0 || resta() < n)
            return false;
        std::memcpy(out, d_.data() + pos_, size_t(n));
        pos_ += n;
        return true;
    }
    bool u8(std::uint8_t& v) { return bytes(&v, 1); }
    bool u16(std::uint16_t& v)
    {
        uchar b[2];
        if (!bytes(b, 2))
            return false;
        v = qFromLittleEndian<quint16>(b);
        return true;
    }
    bool i32(std::int32_t& v)
    {
        uchar b[4];
        if (!bytes(b, 4))
            return false;
        v = qFromLittleEndian<qint32>(b);
        return true;
    }
    bool u32(std::uint32_t& v)
    {
        uchar b[4];
        if (!bytes(b, 4))
            return false;
        v = qFromLittleEndian<quint32>(b);
        return true;
    }
    bool f64(double& v)
    {
        uchar b[8];
        if (!bytes(b, 8))
            return false;
        const quint64 bits = qFromLittleEndian<quint64>(b);
        std::memcpy(&v, &bits, 8);
        return true;
    }
    bool text(QString& s)
    {
        std::uint16_t n = 0;
        if (!u16(n) || resta() < n)
            return false;
        s = kovel::cp1252::toUnicode(d_.sliced(pos_, n));
        pos_ += n;
        return true;
    }

private:
    QByteArrayView d_;
    qsizetype pos_ = 0;
};

class Escriptor {
public:
    void u8(std::uint8_t v) { d_.append(char(v)); }
    void u16(std::uint16_t v)
    {
        uchar b[2];
        qToLittleEndian<quint16>(v, b);
        d_.append(reinterpret_cast<const char*>(b), 2);
    }
    void i32(std::int32_t v)
    {
        uchar b[4];
        qToLittleEndian<qint32>(v, b);
        d_.append(reinterpret_cast<const char*>(b), 4);
    }
    void u32(std::uint32_t v) { i32(std::int32_t(v)); }
    void f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        uchar b[8];
        qToLittleEndian<quint64>(bits, b);
        d_.append(reinterpret_cast<const char*>(b), 8);
    }
    // A text longer than a length word can say is cut: the store cannot hold more, and the
    // record around it must stay readable.
    void text(const QString& s)
    {
        QByteArray b = kovel::cp1252::fromUnicode(s);
        if (b.size() > 0xFFFF)
            b.truncate(0xFFFF);
        u16(std::uint16_t(b.size()));
        d_.append(b);
    }
    QByteArray& dades() { return d_; }

private:
    QByteArray d_;
};

// A dynamic array of texts: dimensions, then count and lower bound, then the elements.
bool llegeixArray(Lector& l, QStringList& out, std::int32_t& base, bool& dimensionat)
{
    std::uint16_t dims = 0;
    if (!l.u16(dims))
        return false;
    dimensionat = dims != 0;
    if (dims == 0)
        return true;
    if (dims != 1)
        return false;
    std::int32_t n = 0;
    if (!l.i32(n) || !l.i32(base))
        return false;
    // Each element takes at least its length word.
    if (n < 0 || n > MaximCaselles || qint64(n) * 2 > l.resta())
        return false;
    out.reserve(n);
    for (std::int32_t k = 0; k < n; ++k) {
        QString s;
        if (!l.text(s))
            return false;
        out << s;
    }
    return true;
}

bool llegeixRegistre(Lector& l, RegistreGuardat& r)
{
    if (!l.text(r.Nom) || !l.f64(r.DataDesat) || !l.u8(r.LletraPrograma) || !l.text(r.Versio)
        || !l.u8(r.TipusPaper) || !l.i32(r.Model) || !l.u8(r.Orientacio) || !l.u8(r.Ordre)
        || !l.i32(r.NumCaselles) || r.NumCaselles < 0 || r.NumCaselles > MaximCaselles
        || !llegeixArray(l, r.Caselles, r.CasellesBase, r.CasellesDimensionades)
        || !l.text(r.FontDades) || !l.text(r.Llista) || !l.u32(r.Reservat))
        return false;
    // The reserved array is never dimensioned by any writer of the store.
    QStringList reservat;
    std::int32_t base = 0;
    bool dim = false;
    if (!llegeixArray(l, reservat, base, dim) || !reservat.isEmpty())
        return false;
    return l.i32(r.FilaInicial) && l.i32(r.FilaFinal);
}

void escriuRegistre(Escriptor& e, const RegistreGuardat& r)
{
    e.text(r.Nom);
    e.f64(r.DataDesat);
    e.u8(r.LletraPrograma);
    e.text(r.Versio);
    e.u8(r.TipusPaper);
    e.i32(r.Model);
    e.u8(r.Orientacio);
    e.u8(r.Ordre);
    e.i32(r.NumCaselles);
    if (r.CasellesDimensionades || !r.Caselles.isEmpty()) {
        e.u16(1);
        e.i32(std::int32_t(r.Caselles.size()));
        e.i32(r.CasellesBase);
        for (const QString& c : r.Caselles)
            e.text(c);
    } else {
        e.u16(0);
    }
    e.text(r.FontDades);
    e.text(r.Llista);
    e.u32(r.Reservat);
    e.u16(0); // the reserved array
    e.i32(r.FilaInicial);
    e.i32(r.FilaFinal);
}

const QDate DiaZero(1899, 12, 30);

} // namespace

QString AmbPunt(QString frase)
{
    while (frase.endsWith(u' '))
        frase.chop(1);
    if (!frase.isEmpty() && !frase.endsWith(u'.') && !frase.endsWith(u'!') && !frase.endsWith(u'?'))
        frase += u'.';
    return frase;
}

Lectura LlegeixRegistres(QByteArrayView dades, const QString& nomFitxer)
{
    Lectura res;
    Lector l(dades);
    while (!l.fi()) {
        RegistreGuardat r;
        const qsizetype inici = l.pos();
        if (!llegeixRegistre(l, r)) {
            res.error = QStringLiteral("The saved designs file \"%1\" is damaged: record %2 at byte %3 cannot be read.")
                            .arg(nomFitxer)
                            .arg(res.registres.size())
                            .arg(inici);
            return res;
        }
        res.registres.push_back(std::move(r));
    }
    return res;
}

QByteArray CodificaRegistres(const std::vector<RegistreGuardat>& registres)
{
    Escriptor e;
    for (const RegistreGuardat& r : registres)
        escriuRegistre(e, r);
    QByteArray& d = e.dades();
    // The check value: always 0, at offsets 4 to 7.
    if (d.size() >= 8)
        std::memset(d.data() + 4, 0, 4);
    return d;
}

QString NomFitxerGuardats(char lletraPrograma)
{
    switch (lletraPrograma) {
    case 'W': return QStringLiteral("guardatsW.dat");
    case 'E': return QStringLiteral("guardatsE.dat");
    case 'A': return QStringLiteral("guardatsA.dat");
    default: return {};
    }
}

double DataActual()
{
    const QDateTime ara = QDateTime::currentDateTime();
    const double dies = double(DiaZero.daysTo(ara.date()));
    return dies + double(ara.time().msecsSinceStartOfDay()) / 86400000.0;
}

QString DataCurta(double data, QChar separador)
{
    if (!std::isfinite(data) || std::fabs(data) > 3e6)
        return {};
    const QDate d = DiaZero.addDays(qint64(std::floor(data)));
    return d.toString(QStringLiteral("dd%1MM%1yy").arg(separador));
}

bool EscriuFitxerSegur(const QString& path, const QByteArray& dades, QString& error)
{
    return kovel::files::EscriuAtomic(path, dades, &error);
}

Magatzem::Magatzem(QString carpetaDades, char lletraPrograma, QString fontDadesActual)
    : carpetaDades_(std::move(carpetaDades)), lletra_(lletraPrograma),
      fontDadesActual_(kovel::cp1252::fromUnicode(fontDadesActual))
{
    if (!carpetaDades_.isEmpty() && !carpetaDades_.endsWith(u'/'))
        carpetaDades_ += u'/';
    registres_.resize(1);
}

QString Magatzem::RutaFitxerGuardats() const
{
    const QString nom = NomFitxerGuardats(lletra_);
    return nom.isEmpty() ? QString() : CarpetaGuardats() + nom;
}

bool Magatzem::delPrograma(const RegistreGuardat& r) const
{
    if (r.LletraPrograma != std::uint8_t(lletra_))
        return false;
    if (lletra_ == 'W')
        return true;
    if (lletra_ == 'E' || lletra_ == 'A')
        return kovel::cp1252::fromUnicode(r.FontDades) == fontDadesActual_;
    return false;
}

bool Magatzem::Carrega(QString& error)
{
    registres_.assign(1, RegistreGuardat{});
    visibles_.clear();
    danyat_ = false;
    const QString ruta = RutaFitxerGuardats();
    if (ruta.isEmpty() || !QFileInfo::exists(ruta))
        return true;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The saved designs file \"%1\" cannot be read: %2").arg(ruta, AmbPunt(f.errorString()));
        danyat_ = true;
        return false;
    }
    if (f.size() > MidaMaximaFitxer) {
        error = QStringLiteral("The saved designs file \"%1\" is too large to be a store of designs.").arg(ruta);
        danyat_ = true;
        return false;
    }
    const QByteArray dades = f.read(MidaMaximaFitxer + 1);
    Lectura l = LlegeixRegistres(dades, ruta);
    if (!l.error.isEmpty()) {
        error = l.error;
        danyat_ = true;
        return false;
    }
    if (!l.registres.empty())
        registres_ = std::move(l.registres);
    for (std::size_t i = 1; i < registres_.size(); ++i)
        if (delPrograma(registres_[i]))
            visibles_.push_back(i);
    return true;
}

bool Magatzem::ApartaDanyat(QString& nouNom, QString& error)
{
    const QString ruta = RutaFitxerGuardats();
    nouNom = ruta + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(nouNom); ++n)
        nouNom = ruta + QStringLiteral(".damaged%1").arg(n);
    if (!QFile::rename(ruta, nouNom)) {
        error = QStringLiteral("\"%1\" cannot be renamed to \"%2\".").arg(ruta, nouNom);
        return false;
    }
    registres_.assign(1, RegistreGuardat{});
    visibles_.clear();
    danyat_ = false;
    return true;
}

const RegistreGuardat& Magatzem::Disseny(int fila) const { return registres_.at(visibles_.at(std::size_t(fila))); }

QStringList Magatzem::Noms() const
{
    QStringList noms;
    for (std::size_t i : visibles_)
        noms << registres_[i].Nom;
    return noms;
}

bool Magatzem::NomRepetit(const QString& nom) const
{
    const QString desat = NomDesat(nom);
    for (std::size_t i : visibles_)
        if (registres_[i].Nom.compare(desat, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString Magatzem::carpetaNumero(std::size_t posicio) const
{
    // Newest first: the record at position 1 has the highest number, the oldest has 1.
    return CarpetaGuardats() + QString::number(registres_.size() - posicio) + u'/';
}

QString Magatzem::CarpetaDisseny(int fila) const
{
    // The folder the design's documents were saved in, as found under this data folder.
    const RegistreGuardat& r = Disseny(fila);
    for (const QString& c : r.Caselles) {
        const QFileInfo fi(c);
        if (!c.isEmpty() && fi.isAbsolute())
            return CarpetaGuardats() + QFileInfo(fi.absolutePath()).fileName() + u'/';
    }
    return carpetaNumero(visibles_.at(std::size_t(fila)));
}

QString Magatzem::DocumentDisseny(int fila, int k) const
{
    const RegistreGuardat& r = Disseny(fila);
    if (k < 0 || k >= r.Caselles.size())
        return {};
    const QString desat = r.Caselles.at(k);
    if (desat.isEmpty())
        return {};
    const QFileInfo fi(desat);
    if (fi.isAbsolute() && fi.exists())
        return desat;
    // A path that moved with the data folder, or a bare cell name: the design's own folder.
    const QString propi = CarpetaDisseny(fila) + fi.fileName();
    return QFileInfo::exists(propi) || !fi.isAbsolute() ? propi : desat;
}

QString Magatzem::carpetaNova() const
{
    for (std::size_t n = registres_.size();; ++n) {
        const QString carpeta = CarpetaGuardats() + QString::number(n) + u'/';
        if (QDir(carpeta).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) || n > registres_.size() + 100000)
            return carpeta;
    }
}

RegistreGuardat Magatzem::nouRegistre(const QString& nom, const DadesDisseny& dades) const
{
    RegistreGuardat r;
    r.Nom = nom;
    r.DataDesat = ara_();
    r.LletraPrograma = std::uint8_t(lletra_);
    r.Versio = QString::fromLatin1(VersioDesat);
    r.TipusPaper = dades.TipusPaper;
    r.Model = dades.Model;
    r.Orientacio = dades.Orientacio;
    r.Ordre = dades.Ordre;
    r.CasellesDimensionades = true;
    if (lletra_ != 'W')
        r.FontDades = kovel::cp1252::toUnicode(fontDadesActual_);
    r.Llista = dades.Llista;
    if (lletra_ == 'E') {
        r.FilaInicial = dades.FilaInicial;
        r.FilaFinal = dades.FilaFinal;
    }
    return r;
}

std::vector<RegistreGuardat> Magatzem::ambNou(const RegistreGuardat& r) const
{
    std::vector<RegistreGuardat> nous;
    nous.reserve(registres_.size() + 1);
    nous.push_back(registres_.front());
    nous.push_back(r);
    nous.insert(nous.end(), registres_.begin() + 1, registres_.end());
    return nous;
}

bool Magatzem::cap(qsizetype mida, QString& error) const
{
    if (mida <= MidaMaximaFitxer)
        return true;
    error = QStringLiteral("The saved designs file \"%1\" cannot hold another design: it would grow past %2 MB, and "
                           "then none of its designs could be opened. Delete older designs to make room for new ones.")
                .arg(RutaFitxerGuardats())
                .arg(MidaMaximaFitxer / (1024 * 1024));
    return false;
}

bool Magatzem::CapDisseny(const QString& nom, const DadesDisseny& dades, QString& error) const
{
    RegistreGuardat r = nouRegistre(nom.isEmpty() ? QString(LongitudNom, u'W') : NomDesat(nom), dades);
    if (dades.Caselles)
        r.Caselles = dades.Caselles(carpetaNova());
    r.NumCaselles = std::int32_t(r.Caselles.size());
    return cap(CodificaRegistres(ambNou(r)).size(), error);
}

namespace {

// Older than any save takes: no save can be at work on such a folder.
constexpr qint64 kEdatOrfeMs = 10LL * 60 * 1000;
// How long a save waits for another process's save of the same store folder.
constexpr int kEsperaBloqueigMs = 10000;

// A design's documents are written into a folder of this name beside the numbered ones and
// renamed in whole; it holds the mark until the store names its design, so that what a
// killed save left is known for the program's own and goes with a later save.
constexpr QLatin1StringView kPrefixTemporal(".kovel-disseny-");
constexpr QLatin1StringView kMarcaIncomplet(".kovel-incomplet");

// A folder of the store that is a symbolic link is never written through: the documents
// would land wherever it points.
bool EsEnllac(const QString& carpeta, QString& error)
{
    QString cami = carpeta;
    while (cami.endsWith(u'/') && cami.size() > 1)
        cami.chop(1);
    if (!QFileInfo(cami).isSymLink())
        return false;
    error = QStringLiteral("The folder \"%1\" is a symbolic link; saved designs are not written through links. "
                           "Replace it with a real folder.")
                .arg(cami);
    return true;
}

// Whether nothing has been written in the folder, nor in what it holds, for kEdatOrfeMs.
bool Vella(const QString& carpeta)
{
    const QDateTime limit = QDateTime::currentDateTimeUtc().addMSecs(-kEdatOrfeMs);
    if (QFileInfo(carpeta).lastModified().toUTC() >= limit)
        return false;
    QDirIterator it(carpeta, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    for (int n = 0; it.hasNext() && n < 100000; ++n)
        if (it.nextFileInfo().lastModified().toUTC() >= limit)
            return false;
    return true;
}

// A new folder for a design's documents, with the mark in it; empty when none can be made.
QString CarpetaTemporal(const QString& guardats)
{
    for (int intent = 0; intent < 16; ++intent) {
        const QString c = guardats + kPrefixTemporal + QString::number(QRandomGenerator::global()->generate64(), 36);
        if (QDir().mkdir(c)) {
            QFile marca(c + u'/' + kMarcaIncomplet);
            if (marca.open(QIODevice::WriteOnly))
                return c + u'/';
            QDir(c).removeRecursively();
            return {};
        }
    }
    return {};
}

} // namespace

void Magatzem::escombraOrfes() const
{
    const QString guardats = CarpetaGuardats();
    // Every host's store names folders here; while one cannot be read, a folder it may name
    // is never taken for an orphan.
    QSet<QString> anomenades;
    bool totes = true;
    for (char lletra : {'W', 'E', 'A'}) {
        QFile f(guardats + NomFitxerGuardats(lletra));
        if (!f.exists())
            continue;
        if (!f.open(QIODevice::ReadOnly) || f.size() > MidaMaximaFitxer) {
            totes = false;
            continue;
        }
        const Lectura l = LlegeixRegistres(f.read(MidaMaximaFitxer + 1), f.fileName());
        totes = totes && l.error.isEmpty();
        for (const RegistreGuardat& r : l.registres) {
            bool absoluta = false;
            for (const QString& c : r.Caselles)
                if (!c.isEmpty() && QFileInfo(c).isAbsolute()) {
                    anomenades.insert(QFileInfo(QFileInfo(c).absolutePath()).fileName());
                    absoluta = true;
                }
            // A design saved by its cells' bare names is found by its place in the store, which
            // moves as designs come and go: no numbered folder can then be proved unnamed.
            if (!absoluta && std::any_of(r.Caselles.cbegin(), r.Caselles.cend(), [](const QString& c) { return !c.isEmpty(); }))
                totes = false;
        }
    }
    const QFileInfoList carpetes = QDir(guardats).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& fi : carpetes) {
        const QString nom = fi.fileName();
        const QString cami = fi.absoluteFilePath();
        if (fi.isSymLink() || fi.ownerId() != ::geteuid())
            continue;
        bool numerada = false;
        nom.toUInt(&numerada);
        const bool incompleta = QFileInfo(cami + u'/' + kMarcaIncomplet).isFile();
        if (numerada && incompleta && anomenades.contains(nom)) {
            // Killed after its design was recorded: complete.
            QFile::remove(cami + u'/' + kMarcaIncomplet);
        } else if (((numerada && incompleta && totes) || (nom.startsWith(kPrefixTemporal) && incompleta)) && Vella(cami)) {
            QDir(cami).removeRecursively();
        } else if (nom.startsWith(kPrefixTemporal) && !incompleta && Vella(cami)) {
            // Killed between making the folder and marking it: removed only while empty.
            QDir().rmdir(cami);
        }
    }
}

bool Magatzem::GuardaDisseny(QString& nom, const DadesDisseny& dades, const DesaDocuments& desa, QString& error)
{
    const QString ruta = RutaFitxerGuardats();
    if (ruta.isEmpty()) {
        error = QStringLiteral("No saved designs file for this application.");
        return false;
    }
    // Always from the store on disk: a save never works on a stale or partial copy. Read
    // first to refuse what cannot be saved before anything is made, then again under the lock.
    const auto llegeix = [&] {
        if (Carrega(error))
            return true;
        error = AmbPunt(error) + QStringLiteral(" It is not written over.");
        return false;
    };
    nom = NomDesat(nom);
    if (!llegeix() || !CapDisseny(nom, dades, error) || EsEnllac(CarpetaGuardats(), error))
        return false;
    const bool guardatsNou = !QFileInfo::exists(CarpetaGuardats());
    if (!QDir().mkpath(CarpetaGuardats())) {
        error = QStringLiteral("The folder \"%1\" cannot be created.").arg(CarpetaGuardats());
        return false;
    }
    const auto refusa = [&] {
        if (guardatsNou)
            QDir().rmdir(CarpetaGuardats());
        return false;
    };
    // One save at a time in the folder, whatever process makes it: each reads the store,
    // adds its design, writes it back, and takes a free numbered folder.
    const QString cami = carpetaDades_ + QStringLiteral("guardats.lock");
    QLockFile bloqueig(cami);
    bloqueig.setStaleLockTime(0); // a live save keeps it however long it takes
    if (!kovel::files::PrenBloqueig(bloqueig, kEsperaBloqueigMs)) {
        error = bloqueig.error() == QLockFile::LockFailedError
            ? QStringLiteral("The saved designs in \"%1\" are being saved by another program. Try again in a moment.")
                  .arg(CarpetaGuardats())
            : QStringLiteral("The lock file \"%1\" cannot be made.").arg(cami);
        return refusa();
    }
    if (!llegeix())
        return refusa();
    escombraOrfes();
    if (!CapDisseny(nom, dades, error))
        return refusa();
    const QString carpeta = carpetaNova();
    if (EsEnllac(carpeta, error))
        return false;
    const QDir dir(carpeta);
    const bool creada = !dir.exists();
    if (!creada && !dir.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        error = QStringLiteral("No free folder for the design in \"%1\".").arg(CarpetaGuardats());
        return false;
    }
    const QString temporal = CarpetaTemporal(CarpetaGuardats());
    if (temporal.isEmpty()) {
        error = QStringLiteral("A folder cannot be created in \"%1\".").arg(CarpetaGuardats());
        return false;
    }
    // A save that fails leaves no trace: the folder it made goes, or the one it found empty
    // is emptied again (all in it is this save's).
    const auto desfes = [&] {
        QDir(temporal).removeRecursively();
        QDir(carpeta).removeRecursively();
        if (!creada)
            QDir().mkdir(carpeta);
        else if (guardatsNou)
            QDir().rmdir(CarpetaGuardats());
    };

    RegistreGuardat r = nouRegistre(nom, dades);
    if (!desa(temporal, r.Caselles, error)) {
        // Said of the design: the folder it was being written in is the program's own.
        error = QStringLiteral("The design \"%1\" cannot be written in \"%2\": %3")
                    .arg(nom.trimmed(), CarpetaGuardats(), AmbPunt(QString(error).remove(temporal)));
        desfes();
        return false;
    }
    // The entries as they will be, in the design's own folder.
    for (QString& c : r.Caselles)
        if (c.startsWith(temporal))
            c = carpeta + c.sliced(temporal.size());
    r.NumCaselles = std::int32_t(r.Caselles.size());
    const QByteArray disc = CodificaRegistres(ambNou(r));
    // Checked again on what the documents' save recorded.
    if (!cap(disc.size(), error)) {
        desfes();
        return false;
    }
    QString sensBarra = carpeta;
    sensBarra.chop(1);
    if (::rename(QFile::encodeName(temporal).constData(), QFile::encodeName(sensBarra).constData()) != 0) {
        error = QStringLiteral("The folder \"%1\" cannot be made: %2").arg(sensBarra, AmbPunt(QString::fromLocal8Bit(std::strerror(errno))));
        desfes();
        return false;
    }
    if (!escriu_(ruta, disc, error)) {
        desfes();
        return false;
    }
    QFile::remove(carpeta + kMarcaIncomplet);
    // The check value overwrote the header's bytes 4 to 7 on disk; keep memory the same.
    registres_ = LlegeixRegistres(disc, ruta).registres;
    visibles_.clear();
    for (std::size_t i = 1; i < registres_.size(); ++i)
        if (delPrograma(registres_[i]))
            visibles_.push_back(i);
    return true;
}

QString TextLlistaGuardat(const RegistreGuardat& r, const std::function<int(const QString&)>& ampladaText,
                          QChar separadorData)
{
    QString linia = QStringLiteral("  ") + r.Nom;
    const int tab = std::max(1, ampladaText(QStringLiteral("\t")));
    const int t = 2 - ampladaText(r.Nom) / tab;
    for (int i = 0; i < t; ++i)
        linia += u'\t';
    linia += QString(16, u' ') + QString::number(r.Model) + QString(18, u' ') + DataCurta(r.DataDesat, separadorData);
    return linia;
}

} // namespace guardar
