#include "codes/ui/DialegCodi.h"

#include "common/ModTraduccion.h"
#include "common/ui/Finestres.h"

#include <QGroupBox>
#include <QPushButton>

namespace kovel::codes {

void AlternaAvancat(QWidget& finestra, bool& visible, QPushButton& boto, QGroupBox& opcions, int alcadaCompacta,
                    int alcadaCompleta)
{
    visible = !visible;
    finestra.resize(finestra.width(), kovel::ui::Px(visible ? alcadaCompleta : alcadaCompacta));
    boto.setText(ModTraduccion::Literal(visible ? 8010 : 8009));
    opcions.setVisible(visible);
}

void ConnectaColor(QPushButton* boto, const std::function<bool(std::uint32_t&)>& triar, std::function<std::uint32_t()> llegir,
                   std::function<void(std::uint32_t)> posar)
{
    QObject::connect(boto, &QPushButton::clicked, boto, [&triar, llegir = std::move(llegir), posar = std::move(posar)] {
        std::uint32_t c = llegir();
        if (triar && triar(c)) posar(c);
    });
}

} // namespace kovel::codes
