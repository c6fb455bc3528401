#pragma once
// Test helpers for the wizard window's roads: one application for the run, a control found
// by its name (and index), a click on a shown control, and the EAN-13 of a number.
#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

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

// EAN-13 of a twelve-digit number: the number and its check digit.
inline QString AmbDigitControl(const QString& dotze)
{
    int suma = 0;
    for (int i = 0; i < 12; ++i)
        suma += dotze[i].digitValue() * (i % 2 ? 3 : 1);
    return dotze + QString::number((10 - suma % 10) % 10);
}

} // namespace kovel::proves
