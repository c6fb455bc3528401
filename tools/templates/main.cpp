// Builds the blank templates of documents_base from their readable sources:
//   kovel_templates <output folder> <Name.docx.txt>...
// Each source "Name.docx.txt" becomes "Name.docx". A source is "key = value" lines ("#" starts
// a comment): page.width, page.height, margin.left, margin.top, margin.right,
// margin.bottom (centimetres), orientation (portrait or landscape), font.name, font.size
// (points) and any number of "text" lines, one paragraph each.
#include "platform/word/Document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <stdexcept>

using namespace kovel::word;

namespace {

double Nombre(const QString& valor, const QString& on)
{
    bool ok = false;
    const double v = valor.toDouble(&ok);
    if (!ok || v < 0 || v > 1000)
        throw std::runtime_error(qPrintable(on + QStringLiteral(": \"") + valor + QStringLiteral("\" is no length")));
    return v;
}

void Construeix(const QString& font, const QString& sortida)
{
    QFile f(font);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error(qPrintable(font + QStringLiteral(": ") + f.errorString()));
    if (f.size() > 1 << 20)
        throw std::runtime_error(qPrintable(font + QStringLiteral(": too large")));
    std::unique_ptr<Document> doc = Document::create();
    PageSetup ps = doc->pageSetup();
    RunFormat format;
    QStringList textos;
    int numLinia = 0;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString linia = in.readLine();
        ++numLinia;
        const QString net = linia.trimmed();
        if (net.isEmpty() || net.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype igual = net.indexOf(QLatin1Char('='));
        const QString on = font + QLatin1Char(':') + QString::number(numLinia);
        if (igual < 0)
            throw std::runtime_error(qPrintable(on + QStringLiteral(": no \"key = value\"")));
        const QString clau = net.left(igual).trimmed();
        const QString valor = net.mid(igual + 1).trimmed();
        const auto cm = [&](const QString& v) { return centimetresToPoints(Centimetres(Nombre(v, on))); };
        if (clau == QLatin1String("orientation")) {
            if (valor != QLatin1String("portrait") && valor != QLatin1String("landscape"))
                throw std::runtime_error(qPrintable(on + QStringLiteral(": portrait or landscape")));
            ps.setOrientation(valor == QLatin1String("landscape") ? Orientation::Landscape : Orientation::Portrait);
        } else if (clau == QLatin1String("page.width")) ps.setPageWidth(cm(valor));
        else if (clau == QLatin1String("page.height")) ps.setPageHeight(cm(valor));
        else if (clau == QLatin1String("margin.left")) ps.setLeftMargin(cm(valor));
        else if (clau == QLatin1String("margin.top")) ps.setTopMargin(cm(valor));
        else if (clau == QLatin1String("margin.right")) ps.setRightMargin(cm(valor));
        else if (clau == QLatin1String("margin.bottom")) ps.setBottomMargin(cm(valor));
        else if (clau == QLatin1String("font.name")) format.fontName = valor;
        else if (clau == QLatin1String("font.size")) format.size = Points(Nombre(valor, on));
        else if (clau == QLatin1String("text")) textos << valor;
        else
            throw std::runtime_error(qPrintable(on + QStringLiteral(": unknown key \"") + clau + QLatin1Char('"')));
    }
    ps.setHeaderDistance(Points(0));
    ps.setFooterDistance(Points(0));
    doc->setPageSetup(ps);
    RunFormat defaults = doc->defaultRunFormat();
    defaults.merge(format);
    doc->setDefaultRunFormat(defaults);
    if (!textos.isEmpty())
        doc->content().setText(textos.join(QLatin1Char('\r')));
    doc->content().setFont(format);
    doc->saveAs(sortida);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: kovel_templates <output folder> <Name.docx.txt>...\n");
        return 2;
    }
    const QString sortida = args.at(1);
    if (!QDir().mkpath(sortida)) {
        std::fprintf(stderr, "%s: cannot be created\n", qPrintable(sortida));
        return 1;
    }
    try {
        for (int i = 2; i < args.size(); ++i)
            Construeix(args.at(i), sortida + QLatin1Char('/') + QFileInfo(args.at(i)).baseName() + QStringLiteral(".docx"));
    } catch (const WordError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
