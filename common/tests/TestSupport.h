#pragma once
// Shared helpers of the common-services tests: private settings files and literal files.
#include "common/ModTraduccion.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace kovel::test {

// Points both settings files and the program folder into a fresh temporary folder for the
// life of the object.
class PrivateProfile {
public:
    PrivateProfile()
    {
        saved_ = {qgetenv("KOVEL_USER_REGISTRY"), qgetenv("KOVEL_MACHINE_REGISTRY"), qgetenv("KOVEL_PROGRAM_DIR")};
        qputenv("KOVEL_USER_REGISTRY", (dir.path() + "/config/user.reg").toUtf8());
        qputenv("KOVEL_MACHINE_REGISTRY", (dir.path() + "/program/machine.reg").toUtf8());
        qputenv("KOVEL_PROGRAM_DIR", (dir.path() + "/program").toUtf8());
    }
    ~PrivateProfile()
    {
        qputenv("KOVEL_USER_REGISTRY", saved_[0]);
        qputenv("KOVEL_MACHINE_REGISTRY", saved_[1]);
        qputenv("KOVEL_PROGRAM_DIR", saved_[2]);
    }
    QString userFile() const { return dir.path() + "/config/user.reg"; }
    QString programDir() const { return dir.path() + "/program"; }
    QTemporaryDir dir;

private:
    std::vector<QByteArray> saved_;
};

// Raw records in the look-up's order, as the build tool writes them.
inline QByteArray literalRecords(std::vector<std::pair<QString, QString>> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return ModTraduccion::CompararClaus(ModTraduccion::ConvertirClau(a.first), ModTraduccion::ConvertirClau(b.first)) < 0;
    });
    QByteArray out;
    for (const auto& [key, text] : entries) {
        QString error;
        const QByteArray rec = ModTraduccion::CodificarRegistre(key, text, &error);
        EXPECT_FALSE(rec.isEmpty()) << qPrintable(error);
        out += rec;
    }
    return out;
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
    f.write(bytes);
}

} // namespace kovel::test
