#!/bin/sh
# Fuzzes the data-source readers (.xlsx, .csv, SQLite) for a bounded time (not part of CI).
#   scripts/fuzz-datasources.sh [seconds-per-reader] [readers...]   (default 180; xlsx csv sqlite)
# Builds with clang into build-fuzz-datasources/, seeds each corpus with small files made
# here and keeps what it finds under build-fuzz-datasources/fuzz-<reader>/.
set -eu
SECONDS_TO_RUN="${1:-180}"
[ $# -gt 0 ] && shift
READERS="${*:-xlsx csv sqlite}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-fuzz-datasources"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOVEL_BUILD_FUZZERS=ON -DKOVEL_BUILD_TESTS=OFF -DKOVEL_BUILD_BENCHMARKS=OFF >/dev/null
TARGETS=""
for r in $READERS; do TARGETS="$TARGETS fuzz_$r"; done
# shellcheck disable=SC2086
cmake --build "$BUILD" -j3 --target $TARGETS

for r in $READERS; do mkdir -p "$BUILD/fuzz-$r/corpus" "$BUILD/fuzz-$r/artifacts"; done

# Seeds: a few small files of each kind.
python3 - "$BUILD" <<'PY'
import os, sqlite3, sys, zipfile
build = sys.argv[1]

def out(reader, name):
    d = os.path.join(build, "fuzz-" + reader, "corpus")
    return os.path.join(d, name) if os.path.isdir(d) else None

MAIN = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"'
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
def xlsx(path, sheets, shared="", styles="", date1904=False):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", '<?xml version="1.0"?><Types/>')
        z.writestr("_rels/.rels", '<?xml version="1.0"?><Relationships><Relationship Id="r" Type="%sofficeDocument" Target="xl/workbook.xml"/></Relationships>' % REL)
        wb = '<?xml version="1.0"?><workbook %s xmlns:r="%s"><workbookPr%s/><sheets>' % (MAIN, REL[:-1], ' date1904="1"' if date1904 else "")
        rels = '<?xml version="1.0"?><Relationships>'
        for i, (name, data, kind) in enumerate(sheets, 1):
            wb += '<sheet name="%s" sheetId="%d" r:id="rId%d"%s/>' % (name, i, i, ' state="hidden"' if kind == "hidden" else "")
            folder = "chartsheets" if kind == "chart" else "worksheets"
            rels += '<Relationship Id="rId%d" Type="%s%s" Target="%s/sheet%d.xml"/>' % (i, REL, folder[:-1], folder, i)
            z.writestr("xl/%s/sheet%d.xml" % (folder, i), '<?xml version="1.0"?><worksheet %s><sheetData>%s</sheetData></worksheet>' % (MAIN, data))
        if shared:
            rels += '<Relationship Id="rS" Type="%ssharedStrings" Target="sharedStrings.xml"/>' % REL
            z.writestr("xl/sharedStrings.xml", '<?xml version="1.0"?><sst %s>%s</sst>' % (MAIN, shared))
        if styles:
            rels += '<Relationship Id="rT" Type="%sstyles" Target="styles.xml"/>' % REL
            z.writestr("xl/styles.xml", '<?xml version="1.0"?><styleSheet %s>%s</styleSheet>' % (MAIN, styles))
        z.writestr("xl/workbook.xml", wb + "</sheets></workbook>")
        z.writestr("xl/_rels/workbook.xml.rels", rels + "</Relationships>")

p = out("xlsx", "seed-plain.xlsx")
if p:
    xlsx(p, [("Data", '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>3.5</v></c><c r="C1" t="b"><v>1</v></c></row>'
                      '<row r="2"><c r="A2" t="inlineStr"><is><t>x</t></is></c><c r="B2" s="1"><v>40000</v></c><c r="XFD2" t="e"><v>#N/A</v></c></row>', "")],
         shared='<si><r><t>rich</t></r><r><t xml:space="preserve"> text</t></r></si>',
         styles='<numFmts><numFmt numFmtId="164" formatCode="d/m/yyyy;@"/></numFmts><cellXfs><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="10"/></cellXfs>')
    xlsx(out("xlsx", "seed-sheets.xlsx"), [("A", '<row r="3"><c r="B3" t="str"><f>1</f><v>v</v></c></row>', ""),
                                           ("Chart", "", "chart"), ("H", '<row><c><v>1</v></c><c><v>2</v></c></row>', "hidden")],
         date1904=True)
    xlsx(out("xlsx", "seed-empty.xlsx"), [("Empty", "", "")])
    # Parts alone (the fuzzer packs them): worksheet, then shared texts and styles after NULs.
    sheet = ('<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>1</v></c><c r="B1" s="1"><v>40000.5</v></c>'
             '<c r="C1" s="2"><v>-1234.567</v></c><c r="D1" s="3"><v>0.75</v></c><c r="E1" t="e"><v>#DIV/0!</v></c></row>'
             '<row r="2"><c t="inlineStr"><is><r><t>in&amp;line</t></r><rPh><t>x</t></rPh></is></c><c s="4"><v>1E+20</v></c>'
             '<c t="str"><f>A1</f><v>_x000D_text</v></c><c t="b"><v>0</v></c><c t="d"><v>2024-02-29T12:00:00</v></c></row>'
             '</sheetData></worksheet>')
    open(out("xlsx", "seed-parts-sheet"), "wb").write(sheet.encode())
    open(out("xlsx", "seed-parts-all"), "wb").write((sheet + "\0<sst><si><t>one</t></si><si><t xml:space=\"preserve\"> two </t></si></sst>\0"
        '<styleSheet><numFmts><numFmt numFmtId="170" formatCode="[h]:mm:ss.00;[&lt;0]&quot;neg&quot;"/></numFmts>'
        '<cellXfs><xf numFmtId="0"/><xf numFmtId="170"/><xf numFmtId="14"/></cellXfs></styleSheet>').encode())

p = out("csv", "seed-comma.csv")
if p:
    open(p, "wb").write(b'Name,Town,Amount\r\n"Smith, J","Reus",12.5\r\n"He said ""hi""",,\r\n')
    open(out("csv", "seed-semicolon.csv"), "wb").write("\ufeffNom;Població\nÀngel;Vic\n".encode("utf-8"))
    open(out("csv", "seed-tab-1252.csv"), "wb").write("Nom\tPoblació\r\nJosé\tLleida\r\n".encode("cp1252"))
    open(out("csv", "seed-multiline.csv"), "wb").write(b'a,"line one\nline two",c\n1,2,3')

p = out("sqlite", "seed.db")
if p:
    if os.path.exists(p): os.remove(p)
    db = sqlite3.connect(p)
    db.executescript('''
        CREATE TABLE clients(id INTEGER PRIMARY KEY, name TEXT, town VARCHAR(40), paid BOOLEAN, photo BLOB, amount REAL);
        INSERT INTO clients VALUES (1, 'Anna', 'Reus', 1, x'00ff', 12.5), (2, NULL, 'Vic', 0, NULL, NULL);
        CREATE TABLE "odd ""name"""(x);
        CREATE VIEW towns AS SELECT town, count(*) AS n FROM clients GROUP BY town;
        CREATE INDEX ix ON clients(town);
    ''')
    db.commit()
    db.close()
PY

STATUS=0
for r in $READERS; do
    WORK="$BUILD/fuzz-$r"
    echo "== fuzz_$r for $SECONDS_TO_RUN s"
    cd "$WORK"
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$BUILD/bin/fuzz_$r" -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=2048 \
        -max_len=65536 -timeout=20 -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 "$WORK/corpus" \
        || STATUS=$?
done
exit $STATUS
