#!/bin/sh
# Fuzzes the data-source readers (.xlsx, .ods, .xls, .csv, SQLite) for a bounded time (not part of CI).
#   scripts/fuzz-datasources.sh [seconds-per-reader] [readers...]   (default 180; xlsx ods xls csv sqlite)
# Builds with clang into build-fuzz-datasources/, seeds each corpus with small files made
# here and keeps what it finds under build-fuzz-datasources/fuzz-<reader>/.
set -eu
SECONDS_TO_RUN="${1:-180}"
[ $# -gt 0 ] && shift
READERS="${*:-xlsx ods xls csv sqlite}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$ROOT/build-fuzz-datasources"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKOVEL_BUILD_FUZZERS=ON -DKOVEL_BUILD_TESTS=OFF -DKOVEL_BUILD_BENCHMARKS=OFF >/dev/null
TARGETS=""
for r in $READERS; do TARGETS="$TARGETS fuzz_$r"; done
# shellcheck disable=SC2086
cmake --build "$BUILD" -j3 --target $TARGETS

for r in $READERS; do mkdir -p "$BUILD/fuzz-$r/corpus" "$BUILD/fuzz-$r/artifacts"; done

# Seeds: a few small files of each kind (and the .xls files kept in the repository).
[ -d "$BUILD/fuzz-xls/corpus" ] && cp "$ROOT"/platform/excel/fuzz/corpus/xls/*.xls "$BUILD/fuzz-xls/corpus/"
python3 - "$BUILD" <<'PY'
import os, sqlite3, struct, sys, zipfile
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

NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"')
def content(tables, styles=""):
    return ('<?xml version="1.0" encoding="UTF-8"?><office:document-content %s><office:automatic-styles>%s</office:automatic-styles>'
            '<office:body><office:spreadsheet>%s</office:spreadsheet></office:body></office:document-content>' % (NS, styles, tables))
p = out("ods", "seed-content.xml")
if p:
    cells = ('<table:table table:name="Dades"><table:table-column table:number-columns-repeated="4"/><table:table-row>'
             '<table:table-cell office:value-type="string"><text:p>Àngel<text:s text:c="2"/>Núñez</text:p><text:p>b</text:p></table:table-cell>'
             '<table:table-cell office:value-type="float" office:value="1234.5"><text:p>1,234.50</text:p></table:table-cell>'
             '<table:table-cell office:value-type="date" office:date-value="2024-02-29T13:05:09"><text:p>29/02/2024</text:p></table:table-cell>'
             '<table:table-cell office:value-type="time" office:time-value="PT13H05M09S"><text:p>13:05:09</text:p></table:table-cell>'
             '<table:table-cell office:value-type="boolean" office:boolean-value="true"><text:p>TRUE</text:p></table:table-cell>'
             '<table:table-cell office:value-type="percentage" office:value="0.125"><text:p>12.5%</text:p></table:table-cell>'
             '<table:table-cell office:value-type="currency" office:currency="EUR" office:value="-3"><text:p>-3.00 €</text:p></table:table-cell>'
             '<table:table-cell table:formula="of:=1/0" office:value-type="string" office:string-value="" calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>'
             '</table:table-row><table:table-row table:number-rows-repeated="3">'
             '<table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="2" office:value-type="string"><office:annotation><text:p>n</text:p></office:annotation><text:p>m<text:tab/>x<text:line-break/>y</text:p></table:table-cell>'
             '<table:covered-table-cell/><table:table-cell table:number-columns-repeated="2" office:value-type="float" office:value="7"/></table:table-row>'
             '<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="1024"/></table:table-row></table:table>'
             '<table:table table:name="Amagat" table:style-name="ta2"><table:table-row><table:table-cell/></table:table-row></table:table>')
    styles = '<style:style style:name="ta2" style:family="table"><style:table-properties table:display="false"/></style:style>'
    open(p, "w").write(content(cells, styles))
    open(out("ods", "seed-empty.xml"), "w").write(content('<table:table table:name="E"/>'))
    with zipfile.ZipFile(out("ods", "seed-package.ods"), "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet", zipfile.ZIP_STORED)
        z.writestr("META-INF/manifest.xml", '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"/>')
        z.writestr("content.xml", content(cells, styles))

p = out("xls", "seed-biff2.xls")
if p:
    def rec(t, d): return struct.pack("<HH", t, len(d)) + d
    cell = lambda r, c: struct.pack("<HH", r, c) + b"\0\0\0"
    open(p, "wb").write(rec(0x0009, struct.pack("<HH", 2, 0x10)) + rec(0x0000, struct.pack("<HHHH", 0, 3, 0, 2)) +
                        rec(0x0004, cell(0, 0) + b"\x04Codi") + rec(0x0003, cell(1, 0) + struct.pack("<d", 2.5)) +
                        rec(0x0006, cell(2, 1) + struct.pack("<d", 7) + b"\0\x03\x1e\x07\0") + rec(0x000A, b""))
    # What a child sends back: the date system, a sheet, a number, a text, a formula cell, the end.
    open(out("xls", "seed-records"), "wb").write(b"D\0" + b"S" + struct.pack("<I", 4) + b"Full" +
        b"N" + struct.pack("<IHd", 0, 0, 3.5)[:14] + b"T" + struct.pack("<IHI", 1, 2, 3)[:10] + b"abc" +
        b"F" + struct.pack("<IH", 2, 1)[:6] + b"Z")

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
