#include "common/ui/Portapapers.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace Portapapers {

namespace {

class PortaEscriptori final : public Porta {
public:
    bool Obrir() override { return QGuiApplication::clipboard() != nullptr; }
    void Tancar() override {}
    void Buidar() override
    {
        if (QClipboard* c = QGuiApplication::clipboard()) c->clear();
    }
    void PosarText(const QString& text) override
    {
        if (QClipboard* c = QGuiApplication::clipboard()) c->setText(text);
    }
    void PosarRtf(const QByteArray& rtf) override
    {
        QClipboard* c = QGuiApplication::clipboard();
        if (!c) return;
        auto* data = new QMimeData;
        data->setData(QStringLiteral("text/rtf"), rtf);
        data->setData(QStringLiteral("application/rtf"), rtf);
        c->setMimeData(data);
    }
    std::optional<QString> Llegir(std::uint32_t format) override
    {
        QClipboard* c = QGuiApplication::clipboard();
        if (!c) return std::nullopt;
        const QMimeData* data = c->mimeData();
        if (!data) return std::nullopt;
        if (format == CF_UNICODETEXT || format == CF_TEXT) {
            if (!data->hasText()) return std::nullopt;
            return data->text();
        }
        if (format == CF_RTF) {
            for (const char* type : {"text/rtf", "application/rtf"})
                if (data->hasFormat(QLatin1StringView(type)))
                    return QString::fromLatin1(data->data(QLatin1StringView(type)));
        }
        return std::nullopt;
    }
};

} // namespace

Porta& Escriptori()
{
    static PortaEscriptori desktop;
    return desktop;
}

} // namespace Portapapers
