#include "common/ui/Finestres.h"

#include <QCloseEvent>
#include <QColorDialog>

namespace kovel::ui {

QColor ColorDeBasic(std::uint32_t basic)
{
    return QColor(static_cast<int>(basic & 0xFF), static_cast<int>((basic >> 8) & 0xFF),
                  static_cast<int>((basic >> 16) & 0xFF));
}

std::uint32_t BasicDeColor(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8)
         | (static_cast<std::uint32_t>(c.blue()) << 16);
}

bool TriarColor(QWidget* parent, std::uint32_t& colour)
{
    const QColor c = QColorDialog::getColor(ColorDeBasic(colour), parent);
    if (!c.isValid()) return false;
    colour = BasicDeColor(c);
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
