#include "Fixtures.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Xml.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kovel::excel;

namespace {

// Names of the start elements, and the text of those named `textOf`, in reading order.
QStringList walk(const QByteArray& xml, QString* error = nullptr, QStringView textOf = u"t")
{
    Xml x(xml, 16);
    QStringList out;
    while (x.next()) {
        if (!x.isStart()) continue;
        const QString name = x.name().toString();
        out << (x.name() == textOf ? name + u'=' + x.text() : name);
    }
    if (error) *error = x.error();
    if (!x.ok()) out << QStringLiteral("ERROR");
    return out;
}

} // namespace

TEST(Xml, WhatSpreadsheetsWriteIsRead)
{
    const QByteArray xml =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<!-- written by hand --><x:sst xmlns:x=\"urn:main\" count='2'>"
        "<x:si><x:t xml:space=\"preserve\"> a &amp; b &lt;&gt; &quot;&apos; &#233;&#x20AC;\r\nend</x:t></x:si>"
        "<x:si><x:t><![CDATA[<raw> & ]]>tail<?pi inside?><!-- gone --></x:t><x:e/></x:si></x:sst>\n";
    EXPECT_EQ(walk(xml), (QStringList{"sst", "si", QString::fromUtf8("t= a & b <> \"' \xC3\xA9\xE2\x82\xAC\nend"), "si",
                                      "t=<raw> & tail", "e"}));
    // Namespace declarations are not attributes; prefixed attributes are found by either name,
    // also when the writer never declared the prefix.
    Xml x("<sheet xmlns:r=\"urn:r\" xmlns:id=\"urn:id\" name=\"A &amp; B\" r:id=\"rId7\"/>", 4);
    ASSERT_TRUE(x.next());
    EXPECT_TRUE(x.attribute(QLatin1StringView("r")).isNull());
    EXPECT_EQ(x.attribute(QLatin1StringView("r:id")), u"rId7");
    EXPECT_EQ(x.attributeLocal(QLatin1StringView("id")), u"rId7");
    EXPECT_EQ(x.attribute(QLatin1StringView("name")), u"A & B");
    ASSERT_TRUE(x.next());
    EXPECT_TRUE(x.isEnd());
    EXPECT_FALSE(x.next());
    EXPECT_TRUE(x.ok());
    Xml undeclared("<sheet r:id=\"rId2\"/>", 4);
    ASSERT_TRUE(undeclared.next());
    EXPECT_EQ(undeclared.attributeLocal(QLatin1StringView("id")), u"rId2");
    // In attribute values literal tabs and line ends are blanks; character references stay.
    Xml tabs("<numFmt formatCode=\"0\t\r\n0&#10;0\"/>", 4);
    ASSERT_TRUE(tabs.next());
    EXPECT_EQ(tabs.attribute(QLatin1StringView("formatCode")), u"0  0\n0");
    // A part written in UTF-16 is read as well.
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray wide = utf16.encode(QString::fromUtf8("<a><t>\xC3\xA0</t></a>"));
    EXPECT_EQ(walk(wide), (QStringList{"a", QString::fromUtf8("t=\xC3\xA0")}));
}

TEST(Xml, MalformedOrHostilePartsAreRefused)
{
    struct Case { QByteArray xml; const char* fault; };
    const Case cases[] = {
        {"<a><b></a></b>", "malformed XML"},
        {"<a><b>", "malformed XML"},
        {"<a>", "malformed XML"},
        {"", "malformed XML"},
        {"<a/><b/>", "malformed XML"},
        {"text<a/>", "malformed XML"},
        {"<a x=\"1></a>", "malformed XML"},
        {"<a x=1/>", "malformed XML"},
        {"<a x=\"<\"/>", "malformed XML"},
        {"<t>&bogus;</t>", "malformed XML"},
        {"<t>&#0;</t>", "malformed XML"},
        {"<t>&#x110000;</t>", "malformed XML"},
        {"<t>&amp</t>", "malformed XML"},
        {"<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "document type"},
        {"<a><!-- never closed </a>", "malformed XML"},
        {"<a><![CDATA[ never closed </a>", "malformed XML"},
        {"<a><b><c><d><e><f><g><h><i><j><k><l><m><n><o><p><q/></p></o></n></m></l></k></j></i></h></g></f></e></d></c></b></a>",
         "deeper than 16"},
        // Nesting inside a text that is read is bounded too.
        {"<t><b><c><d><e><f><g><h><i><j><k><l><m><n><o><p><q/></p></o></n></m></l></k></j></i></h></g></f></e></d></c></b></t>",
         "deeper than 16"},
    };
    for (const Case& c : cases) {
        QString error;
        const QStringList got = walk(c.xml, &error);
        EXPECT_EQ(got.value(got.size() - 1), QStringLiteral("ERROR")) << c.xml.constData();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.fault))) << c.xml.constData() << " gave " << error.toStdString();
    }
}

TEST(Xml, CellValuesWithEntitiesAndPrefixedElements)
{
    // A sheet whose writer prefixes every element and escapes digits: values still read.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("prefixed.xlsx"));
    fixtures::Package p;
    p.sheets.push_back({"S",
                        "<row r=\"1\"><c r=\"A1\"><v>&#49;2.5</v></c><c r=\"B1\" t=\"str\"><v>a<![CDATA[&b]]></v></c>"
                        "<c r=\"C1\" t=\"b\"><v> 1 </v></c><c r=\"D1\"><v>+7</v></c><c r=\"E1\" s=\"99\"><v>0.5</v></c></row>",
                        {}});
    p.cellXfNumFmts = {0, 10};
    fixtures::WriteXlsx(file, p);
    QString error;
    auto book = Workbook::Open(file, error);
    ASSERT_TRUE(book) << error.toStdString();
    const Worksheet* s = book->Item(1);
    EXPECT_EQ(s->Text(1, 1), QStringLiteral("12.5"));
    EXPECT_EQ(s->Text(1, 2), QStringLiteral("a&b"));
    EXPECT_EQ(s->Text(1, 3), QStringLiteral("TRUE"));
    EXPECT_EQ(s->Text(1, 4), QStringLiteral("7"));
    EXPECT_EQ(s->Text(1, 5), QStringLiteral("0.5"));   // a style the workbook lacks shows as General
}
