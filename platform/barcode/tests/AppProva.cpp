// Tests that draw text need the application's font system; one application for the run.
#include <QApplication>
#include <gtest/gtest.h>

namespace {
class Aplicacio : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "kovel-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) app_ = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};
[[maybe_unused]] const auto* const entorn = ::testing::AddGlobalTestEnvironment(new Aplicacio);
} // namespace
