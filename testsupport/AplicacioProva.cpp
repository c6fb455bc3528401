// Tests that draw text need the application's font system; one application for the run.
// Model tests get a QGuiApplication; tests that open windows are built with
// KOVEL_PROVA_FINESTRES and get a QApplication.
#ifdef KOVEL_PROVA_FINESTRES
#include <QApplication>
using AplicacioQt = QApplication;
#else
#include <QGuiApplication>
using AplicacioQt = QGuiApplication;
#endif
#include <gtest/gtest.h>

namespace {
class Aplicacio : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kovel-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new AplicacioQt(argc, argv);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    AplicacioQt* app_ = nullptr;
};
[[maybe_unused]] const auto* const entorn = ::testing::AddGlobalTestEnvironment(new Aplicacio);
} // namespace
