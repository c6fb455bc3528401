#pragma once
// Test helpers for the wizard window's roads: one application for the run, a control found
// by its name (and index), a click on a shown control, the EAN-13 of a number, and a window
// whose save-design command a test may take over.
#include "common/MsgBox.h"
#include "common/ui/ModTolvWizUi.h"
#include "wizard/ui/FrmTolvWiz.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/types.h>
#include <unistd.h>

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

// What the wizard says and opens in a case: each message kept and answered with its default
// button, each document or link kept instead of opened.
inline void EscoltaAssistent(QStringList& missatges, QStringList& oberts)
{
    mod_rvtMsgBox::setAnswerer([&missatges](const QString& p, std::int16_t style, const QString&) {
        missatges << p;
        return mod_rvtMsgBox::BotoPerDefecte(style);
    });
    ModTolvWiz::setObridorShell([&oberts](const QString& cami) {
        oberts << cami;
        return true;
    });
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
                // A column under a header row is listed with its name: "A — NAME".
                if (a->text() == camp || a->text().startsWith(camp + QStringLiteral(" \u2014 ")))
                    a->trigger();
            menu->close();
        });
        Clica(w, "CmdCampos");
    }
}

// One LibreOffice for the whole test process: started once, kept open by a document of its
// own, and handed each conversion by `soffice` itself over its single-instance pipe. A fresh
// LibreOffice costs seconds per conversion; one already running converts a sheet in a
// fraction of one. `timeout` bounds its life and owns its process group, so the group dies
// with the process or, at the latest, when the bound runs out.
class LibreOfficeCompartit {
public:
    static LibreOfficeCompartit& Instancia()
    {
        static LibreOfficeCompartit lo;
        return lo;
    }
    // Starts it, so that it comes up while a test drives the window.
    static void Engega() { Instancia(); }
    // The profile a conversion must name to reach the running instance, once it listens on its
    // pipe (the single-instance pipe is up before that); empty when none came up.
    QString perfil()
    {
        QElapsedTimer t;
        t.start();
        while (!llest_ && !socket_.isEmpty() && servidor_.state() == QProcess::Running && t.elapsed() < 60000) {
            // LibreOffice's pipes live in /tmp, or in /var/tmp where /tmp cannot be written.
            llest_ = QFileInfo::exists(QStringLiteral("/tmp/") + socket_) || QFileInfo::exists(QStringLiteral("/var/tmp/") + socket_);
            if (!llest_ && servidor_.waitForFinished(50))
                break;
        }
        return llest_ ? perfil_ : QString();
    }

private:
    LibreOfficeCompartit()
    {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        const QString timeout = QStandardPaths::findExecutable(QStringLiteral("timeout"));
        if (soffice.isEmpty() || timeout.isEmpty() || !carpeta_.isValid())
            return;
        perfil_ = QStringLiteral("file://") + carpeta_.filePath(QStringLiteral("lo-profile"));
        const QString obert = carpeta_.filePath(QStringLiteral("obert.txt"));
        QFile f(obert);
        if (!f.open(QIODevice::WriteOnly) || f.write("-\n") != 2)
            return;
        f.close();
        const QString pipe = QStringLiteral("kovelproves%1").arg(QCoreApplication::applicationPid());
        servidor_.setProgram(timeout);
        servidor_.setArguments({QStringLiteral("-k"), QStringLiteral("5"), QStringLiteral("1800"), soffice,
                                QStringLiteral("-env:UserInstallation=") + perfil_, QStringLiteral("--headless"),
                                QStringLiteral("--norestore"), QStringLiteral("--nologo"), QStringLiteral("--nodefault"),
                                QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe), obert});
        servidor_.setStandardOutputFile(QProcess::nullDevice());
        servidor_.setStandardErrorFile(QProcess::nullDevice());
        servidor_.start();
        servidor_.waitForStarted(10000);
        socket_ = QStringLiteral("OSL_PIPE_%1_%2").arg(::getuid()).arg(pipe);
    }
    ~LibreOfficeCompartit()
    {
        if (servidor_.state() == QProcess::NotRunning)
            return;
        // timeout's own group, LibreOffice with it. Killed outright: its profile is thrown
        // away, and it would take seconds to close of itself.
        ::kill(-pid_t(servidor_.processId()), SIGKILL);
        servidor_.waitForFinished(2000);
        for (const char* tmp : {"/tmp/", "/var/tmp/"})
            QFile::remove(QLatin1String(tmp) + socket_);
    }

    QTemporaryDir carpeta_;
    QProcess servidor_;
    QString perfil_;
    QString socket_;
    bool llest_ = false;
};

// The document converted to PDF by LibreOffice into `carpeta`: by the process's running
// LibreOffice, or by one of its own with a profile in `carpeta` when that one is not up. The
// PDF's path, empty when LibreOffice is missing or made none.
inline QString PdfAmbLibreOffice(const QString& docx, const QString& carpeta)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    EXPECT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed (scripts/deps.sh installs it)";
    if (soffice.isEmpty())
        return {};
    const QString pdf = carpeta + u'/' + QFileInfo(docx).completeBaseName() + QStringLiteral(".pdf");
    auto converteix = [&](const QString& perfil) {
        QProcess lo;
        lo.start(soffice, {QStringLiteral("-env:UserInstallation=") + perfil, QStringLiteral("--headless"),
                           QStringLiteral("--norestore"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                           QStringLiteral("--outdir"), carpeta, docx});
        EXPECT_TRUE(lo.waitForFinished(180000));
        return QString::fromLocal8Bit(lo.readAllStandardError());
    };
    QFile::remove(pdf);
    QString errors;
    const QString compartit = LibreOfficeCompartit::Instancia().perfil();
    if (!compartit.isEmpty())
        errors = converteix(compartit);
    if (!QFileInfo::exists(pdf))
        errors = converteix(QStringLiteral("file://") + carpeta + QStringLiteral("/lo-profile"));
    EXPECT_TRUE(QFileInfo::exists(pdf)) << qPrintable(errors);
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
