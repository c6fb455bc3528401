#pragma once
// The bookkeeping of a row of tabs: how many there are and which one is selected. Showing
// the selected tab's page is the window's work; this class only records the state.
#include <QList>
#include <QPointer>
#include <QString>
#include <QTabBar>
#include <cstdint>

class CTab {
public:
    // The list's first element is the row of tabs: Count becomes its number of tabs, the
    // label array is sized 0 to Count, and no tab has been shown yet.
    void Inicialitza(const QList<QTabBar*>& llista);

    std::int16_t Count() const { return count_; }
    QTabBar* Pestanyes() const { return pestanyes_; }
    // Stored as given, even outside 0 to Count; nothing else happens.
    std::int16_t Selected() const { return selected_; }
    void setSelected(std::int16_t index) { selected_ = index; }
    // The index of the tab shown last (−1 after Inicialitza).
    std::int16_t Mostrada() const { return mostrada_; }

private:
    QPointer<QTabBar> pestanyes_;
    QList<QString> etiquetes_;
    std::int16_t count_ = 0;
    std::int16_t selected_ = 0;
    std::int16_t mostrada_ = -1;
};
