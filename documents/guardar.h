#pragma once
// The store of the user's saved designs: one file of records per host ("guardatsW.dat",
// "guardatsE.dat", "guardatsA.dat") in the data folder's "guardats/", and one numbered
// folder of documents per design beside it. Plain model code: the wizard asks the
// questions and shows the messages.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace guardar {

// One saved design, members in their order on disk.
struct RegistreGuardat {
    QString Nom;
    double DataDesat = 0;           // days from 30 December 1899, the fraction the time of day
    std::uint8_t LletraPrograma = 0; // 'W', 'E' or 'A'
    QString Versio;
    std::uint8_t TipusPaper = 0;    // '4', '5', 'L', 'T', 'C' or 0
    std::int32_t Model = 0;
    std::uint8_t Orientacio = 0;    // 'H', 'V' or 0
    std::uint8_t Ordre = 0;         // 'D' or 'I'
    std::int32_t NumCaselles = 0;
    QStringList Caselles;
    std::int32_t CasellesBase = 0;  // the lower bound the cell array was stored with
    bool CasellesDimensionades = false;
    QString FontDades;
    QString Llista;
    std::uint32_t Reservat = 0;
    std::int32_t FilaInicial = 0;
    std::int32_t FilaFinal = 0;

    bool operator==(const RegistreGuardat&) const = default;
};

inline constexpr int LongitudNom = 20;
inline constexpr const char* VersioDesat = "6.4.0w";
// A store larger than this is refused rather than read (a thousand designs of a few cells
// take well under a megabyte), and so no save may make it larger. Likewise a design of more
// cells.
inline constexpr qsizetype MidaMaximaFitxer = 8 * 1024 * 1024;
inline constexpr std::int32_t MaximCaselles = 10000;

// The records of a store file, header first. Every length and count is checked against
// what is left before it is read; a file that does not parse whole is refused with a
// message naming it.
struct Lectura {
    std::vector<RegistreGuardat> registres;
    QString error; // empty when the whole file was read
};
Lectura LlegeixRegistres(QByteArrayView dades, const QString& nomFitxer);

// The disk form of the records, with the check value (always 0) at offsets 4 to 7.
QByteArray CodificaRegistres(const std::vector<RegistreGuardat>& registres);

// The store file's name for a host letter; "" for any other.
QString NomFitxerGuardats(char lletraPrograma);

// A system's reason (which comes without a full stop) as the sentence that ends a message.
QString AmbPunt(QString frase);

// "now" as the store keeps dates.
double DataActual();
// A stored date as "DD/MM/YY" with the given separator.
QString DataCurta(double data, QChar separador = u'/');

// What a save records of the wizard's choices.
struct DadesDisseny {
    std::uint8_t TipusPaper = 0;
    std::int32_t Model = 0;
    std::uint8_t Orientacio = 0;
    std::uint8_t Ordre = 0;
    QString FontDades; // empty on the word-processor host
    QString Llista;
    std::int32_t FilaInicial = 0;
    std::int32_t FilaFinal = 0;
    // The cell entries the documents' save will record in a given design folder, known
    // before any is written, so that a design the store cannot hold is refused first.
    std::function<QStringList(const QString& carpetaDisseny)> Caselles;
};

// Writes the design's documents into its (existing, empty) folder and says which they
// are, by full path (a cell never designed: an empty entry). False with a message when a
// document cannot be written.
using DesaDocuments = std::function<bool(const QString& carpetaDisseny, QStringList& caselles, QString& error)>;

// Writes a whole file through a temporary one and a rename; false with a message.
using EscriuFitxer = std::function<bool(const QString& path, const QByteArray& dades, QString& error)>;
bool EscriuFitxerSegur(const QString& path, const QByteArray& dades, QString& error);

// One host's store. Every record of the file is kept, whatever host or data source it was
// saved with; only the list shows the designs of this host and data source. A new design
// takes the first numbered folder, from the number of designs up, that holds no file, so
// that no other design's documents (another host's, an orphan's, a set-aside store's) are
// ever reused.
class Magatzem {
public:
    Magatzem(QString carpetaDades, char lletraPrograma, QString fontDadesActual = {});

    QString CarpetaGuardats() const { return carpetaDades_ + QStringLiteral("guardats/"); }
    QString RutaFitxerGuardats() const;

    // Reads the store. No file: an empty store. A damaged or oversized one: false with a
    // message naming the file; the store then refuses to save until it is set aside.
    bool Carrega(QString& error);
    bool Danyat() const { return danyat_; }
    // Moves a damaged store out of the way (to "<name>.damaged", numbered when taken) so
    // that a new one can be started; the new name in `nouNom`.
    bool ApartaDanyat(QString& nouNom, QString& error);

    // The designs of this host and data source, newest first.
    int NombreDissenys() const { return int(visibles_.size()); }
    const RegistreGuardat& Disseny(int fila) const;
    QStringList Noms() const;
    bool HiHaGuardats() const { return !visibles_.empty(); }

    // A name the user typed, as it would be stored, already listed (without regard to case).
    static QString NomDesat(const QString& nom) { return nom.left(LongitudNom); }
    bool NomRepetit(const QString& nom) const;

    // The folder of the design at list row `fila` (ends with "/").
    QString CarpetaDisseny(int fila) const;
    // Cell document k of the design at `fila`: its stored path, or, when that no longer
    // exists (the folder moved), the same file name in the design's own folder.
    QString DocumentDisseny(int fila, int k) const;

    // Saves a new design in front of the others, on the store as it is on disk now (it is
    // read again first, under a lock that every save of the folder takes, in any process);
    // `nom` is cut to its stored length in place. The documents are written into a folder
    // of their own and renamed in whole; the file is written whole through a temporary one,
    // never half. What an earlier save that was killed left, and no store names, goes first. Refused before anything is written when
    // the store would outgrow what it may hold, or when the store's folder or the new
    // design's folder is a symbolic link; a save that fails later removes the design's
    // folder (or, one that was there empty, what it put in it).
    bool GuardaDisseny(QString& nom, const DadesDisseny& dades, const DesaDocuments& desa, QString& error);
    // Whether the store, as last loaded, holds one more design under `nom` (any name of the
    // longest stored length when empty); false with the message that says what to do.
    bool CapDisseny(const QString& nom, const DadesDisseny& dades, QString& error) const;

    void setEscriptor(EscriuFitxer e) { escriu_ = std::move(e); }
    void setRellotge(std::function<double()> r) { ara_ = std::move(r); }

private:
    bool delPrograma(const RegistreGuardat& r) const;
    QString carpetaNumero(std::size_t posicio) const;
    QString carpetaNova() const;
    RegistreGuardat nouRegistre(const QString& nom, const DadesDisseny& dades) const;
    std::vector<RegistreGuardat> ambNou(const RegistreGuardat& r) const;
    bool cap(qsizetype midaFitxer, QString& error) const;
    // Removes what saves that were killed left (under the store's lock).
    void escombraOrfes() const;

    QString carpetaDades_;
    char lletra_;
    QByteArray fontDadesActual_; // compared as stored, so a name the code page cannot hold still matches
    std::vector<RegistreGuardat> registres_; // header at 0, then every design, newest first
    std::vector<std::size_t> visibles_;      // positions in registres_ of this host's designs
    bool danyat_ = false;
    EscriuFitxer escriu_ = EscriuFitxerSegur;
    std::function<double()> ara_ = DataActual;
};

// The list line of a design: two blanks, the name, tabs up to the third tab stop, the
// model number and the date. `ampladaText` measures a text in the list's font.
QString TextLlistaGuardat(const RegistreGuardat& r, const std::function<int(const QString&)>& ampladaText,
                          QChar separadorData = u'/');

} // namespace guardar
