#pragma once
// Test helpers for the wizard window's roads: one application for the run, a control found
// by its name (and index), a click on a shown control, the EAN-13 of a number, and a window
// whose save-design command a test may take over.
#include "wizard/ui/FrmTolvWiz.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace kovel::proves {

inline QApplication& AppFinestres()
{
    static int argc = 1;
    static char nom[] = "wizard_tests";
    static char* argv[] = {nom, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

template <typename T = QWidget>
T* Busca(QWidget& w, const char* nom, int index = -1)
{
    const QList<T*> trobats = w.findChildren<T*>(QLatin1String(nom));
    for (T* t : trobats)
        if (index < 0 || t->property("index").toInt() == index)
            return t;
    return nullptr;
}

inline void Clica(QWidget& w, const char* nom, int index = -1)
{
    QWidget* c = Busca(w, nom, index);
    ASSERT_NE(c, nullptr) << nom;
    ASSERT_TRUE(c->isVisible()) << nom << " is not shown";
    QTest::mouseClick(c, Qt::LeftButton);
}

// Picks the fields, one after the other, from the menu of the design panel's field button.
inline void TriaCamps(QWidget& w, const QStringList& camps)
{
    for (const QString& camp : camps) {
        QTimer::singleShot(0, [camp] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions())
                if (a->text() == camp)
                    a->trigger();
            menu->close();
        });
        Clica(w, "CmdCampos");
    }
}

// The document converted to PDF by LibreOffice into `carpeta` (its own profile there); the
// PDF's path, empty when LibreOffice is missing or made none.
inline QString PdfAmbLibreOffice(const QString& docx, const QString& carpeta)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    EXPECT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed (scripts/deps.sh installs it)";
    if (soffice.isEmpty())
        return {};
    QProcess lo;
    lo.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + carpeta + QStringLiteral("/lo-profile"),
                       QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                       QStringLiteral("pdf"), QStringLiteral("--outdir"), carpeta, docx});
    EXPECT_TRUE(lo.waitForFinished(180000));
    const QString pdf = carpeta + u'/' + QFileInfo(docx).completeBaseName() + QStringLiteral(".pdf");
    EXPECT_TRUE(QFileInfo::exists(pdf)) << qPrintable(QString::fromLocal8Bit(lo.readAllStandardError()));
    return QFileInfo::exists(pdf) ? pdf : QString();
}

// EAN-13 of a twelve-digit number: the number and its check digit.
inline QString AmbDigitControl(const QString& dotze)
{
    int suma = 0;
    for (int i = 0; i < 12; ++i)
        suma += dotze[i].digitValue() * (i % 2 ? 3 : 1);
    return dotze + QString::number((10 - suma % 10) % 10);
}

// A window whose save-design command a test may take over (unset: the window's own).
struct FinestraAmbDesa : kovel::wizard::FrmTolvWiz {
    std::function<void()> desa;
    void DesaDissenyAmbNom() override
    {
        if (desa)
            desa();
        else
            kovel::wizard::FrmTolvWiz::DesaDissenyAmbNom();
    }
};

} // namespace kovel::proves
