#pragma once
// LibreOffice and poppler as the documents' tests use them: documents to PDF with a private
// profile, and one page of a PDF as a grey picture.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace proves {

// Converts `docs` to PDF into `carpeta` in one LibreOffice run; "" when it went well, else why.
inline QString ConverteixAPdf(const QString& carpeta, const QStringList& docs, int msMaxim = 240000)
{
    QProcess lo;
    lo.start(QStandardPaths::findExecutable(QStringLiteral("soffice")),
             QStringList{QStringLiteral("-env:UserInstallation=file://") + QDir(carpeta).filePath(QStringLiteral("lo-profile")),
                         QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                         QStringLiteral("pdf"), QStringLiteral("--outdir"), carpeta}
                 + docs);
    if (!lo.waitForFinished(msMaxim))
        return QStringLiteral("LibreOffice did not finish");
    if (lo.exitCode() != 0)
        return QString::fromLocal8Bit(lo.readAllStandardError());
    return {};
}

// Page `pagina` (from 1) of `pdf` at `dpi`, in grey, written as "<prefix>.png"; null when
// pdftoppm failed.
inline QImage PaginaPdf(const QString& pdf, int pagina, int dpi, const QString& prefix)
{
    QProcess p;
    p.start(QStandardPaths::findExecutable(QStringLiteral("pdftoppm")),
            {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(pagina), QStringLiteral("-l"),
             QString::number(pagina), QStringLiteral("-gray"), QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf,
             prefix});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_Grayscale8);
}

} // namespace proves
