#include "common/Portapapers.h"

#include <gtest/gtest.h>

namespace {
struct Held : Portapapers::Porta {
    bool Obrir() override { return false; }
    void Tancar() override {}
    void Buidar() override {}
    void PosarText(const QString&) override {}
    void PosarRtf(const QByteArray&) override {}
    std::optional<QString> Llegir(std::uint32_t) override { return std::nullopt; }
};
} // namespace

TEST(Portapapers, TextEndsAtItsNulAndAnEmptyClipboardGivesNothing)
{
    Portapapers::Buidar();
    EXPECT_EQ(Portapapers::ObtenirText(), QString());
    Portapapers::PosarText(QStringLiteral("abc") + QChar(u'\0') + QStringLiteral("left over"));
    EXPECT_EQ(Portapapers::ObtenirText(), QStringLiteral("abc"));
    QString t;
    EXPECT_FALSE(Portapapers::LlegirFormat(Portapapers::CF_RTF, t));
}

TEST(Portapapers, AClipboardHeldElsewhereRaisesItsError)
{
    Held held;
    Portapapers::EstablirPorta(&held);
    try {
        Portapapers::ObtenirText();
        ADD_FAILURE();
    } catch (const Portapapers::Error& e) {
        EXPECT_EQ(e.number, Portapapers::ErrObrir);
        EXPECT_EQ(e.description, QStringLiteral("Unable to Open Clipboard."));
        EXPECT_TRUE(e.source.endsWith(QStringLiteral(".cCustomClipboard")));
    }
    Portapapers::EstablirPorta(nullptr);
    Portapapers::PosarText(QStringLiteral("x"));
    EXPECT_EQ(Portapapers::ObtenirText(), QStringLiteral("x"));
}
