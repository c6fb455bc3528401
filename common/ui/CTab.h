#pragma once
// The bookkeeping of a row of tab labels: how many there are and which one is selected.
// Showing the selected tab's page and painting the labels is the window's work; this class
// only records the state.
#include <QAbstractButton>
#include <QList>
#include <QPointer>
#include <cstdint>

class CTab {
public:
    using Etiquetes = QList<QAbstractButton*>;

    // The list's first element is the control array of tab labels: Count becomes its count,
    // the label array is sized 0 to Count, and no tab has been shown yet.
    void Inicialitza(const QList<Etiquetes>& llista);

    std::int16_t Count() const { return count_; }
    // Stored as given, even outside 0 to Count; nothing else happens.
    std::int16_t Selected() const { return selected_; }
    void setSelected(std::int16_t index) { selected_ = index; }
    // The index of the tab shown last (−1 after Inicialitza).
    std::int16_t Mostrada() const { return mostrada_; }

private:
    QList<QPointer<QAbstractButton>> etiquetes_;
    std::int16_t count_ = 0;
    std::int16_t selected_ = 0;
    std::int16_t mostrada_ = -1;
};
