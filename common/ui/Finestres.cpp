#include "common/ui/Finestres.h"

#include <QCloseEvent>
#include <QColorDialog>

namespace kovel::ui {

bool TriarColor(QWidget* parent, std::uint32_t& colour)
{
    const QColor start(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                       static_cast<int>((colour >> 16) & 0xFF));
    const QColor c = QColorDialog::getColor(start, parent);
    if (!c.isValid()) return false;
    colour = static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8)
           | (static_cast<std::uint32_t>(c.blue()) << 16);
    return true;
}

void DialegTancable::closeEvent(QCloseEvent* event)
{
    if (tancant_ || potTancar()) {
        tancant_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void DialegTancable::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    tancant_ = false;
}

void DialegTancable::reject()
{
    if (tancant_ || potTancar()) {
        tancant_ = true;
        QDialog::reject();
    }
}

} // namespace kovel::ui
