#pragma once

#include <QTreeWidget>

#include <cstdint>
#include <vector>

namespace scanora {
class DiskListing;
}

namespace scanora::ui {

// The camera disk's list: a row per directory slot with its slot, name, size, time, date and
// notes, under the program's column headers, each column as wide as its header plus 15 pixels.
// The rows come in the listing's order; a click on a header asks for another order.
class DiskListView : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kColumnPadding = 15;

    explicit DiskListView(QWidget* parent = nullptr);

    // Shows `listing` in its order with its sort column marked, and selects `selectSlot`.
    void Show(const DiskListing& listing, std::uint16_t selectSlot);
    // The slots of the selected rows in list order, or in the order they were selected.
    [[nodiscard]] std::vector<std::uint16_t> SelectedSlots() const;
    [[nodiscard]] std::vector<std::uint16_t> SlotsInSelectionOrder() const;
    // The row of a slot; null when it is not listed.
    [[nodiscard]] QTreeWidgetItem* Row(std::uint16_t slot) const;
    [[nodiscard]] static std::uint16_t SlotOf(const QTreeWidgetItem& row);

Q_SIGNALS:
    void columnClicked(int column);
};

}  // namespace scanora::ui
