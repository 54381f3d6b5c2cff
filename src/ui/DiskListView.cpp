#include "ui/DiskListView.h"

#include <QHeaderView>

#include <array>

#include "cameradisk/DiskListing.h"
#include "ui/GuiThread.h"

namespace scanora::ui {

namespace {

constexpr std::array<const char*, DiskListing::kColumnCount> kHeaders{
    " ",
    "             Name               ",
    "        Size        ",
    "         Time         ",
    "           Date           ",
    "      Notes                                                    "};

// Name and Notes read from the left, the numbers from the right.
Qt::Alignment ColumnAlignment(int column)
{
    const bool left = column == static_cast<int>(DiskColumn::Name) ||
                      column == static_cast<int>(DiskColumn::Notes);
    return (left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

DiskListView::DiskListView(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(DiskListing::kColumnCount);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    auto* header = new QTreeWidgetItem;
    for (int column = 0; column < DiskListing::kColumnCount; ++column) {
        header->setText(column, kHeaders[static_cast<std::size_t>(column)]);
        header->setTextAlignment(column, ColumnAlignment(column));
    }
    setHeaderItem(header);
    QHeaderView* columns = this->header();
    columns->setSectionsClickable(true);
    columns->setSortIndicatorShown(true);
    columns->setStretchLastSection(false);
    // The widths follow the headers' texts in the font in use.
    for (int column = 0; column < DiskListing::kColumnCount; ++column)
        setColumnWidth(column,
                       fontMetrics().horizontalAdvance(kHeaders[static_cast<std::size_t>(column)]) +
                           kColumnPadding);
    connect(columns, &QHeaderView::sectionClicked, this, &DiskListView::columnClicked);
}

void DiskListView::Show(const DiskListing& listing, std::uint16_t selectSlot)
{
    SCANORA_ASSERT_GUI_THREAD();
    clear();
    QTreeWidgetItem* selected = nullptr;
    for (std::size_t i = 0; i < listing.Entries().size(); ++i) {
        const DiskListRow row = listing.Row(i);
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, QString::number(row.slot));
        item->setData(0, Qt::UserRole, row.slot);
        item->setText(1, Text(row.name));
        item->setText(2, Text(row.size));
        item->setText(3, Text(row.time));
        item->setText(4, Text(row.date));
        item->setText(5, Text(row.notes));
        for (int column = 0; column < DiskListing::kColumnCount; ++column)
            item->setTextAlignment(column, ColumnAlignment(column));
        if (row.slot == selectSlot)
            selected = item;
    }
    header()->setSortIndicator(static_cast<int>(listing.SortColumn()),
                               listing.Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (selected) {
        setCurrentItem(selected);
        scrollToItem(selected);
    }
}

std::uint16_t DiskListView::SlotOf(const QTreeWidgetItem& row)
{
    return static_cast<std::uint16_t>(row.data(0, Qt::UserRole).toUInt());
}

QTreeWidgetItem* DiskListView::Row(std::uint16_t slot) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (SlotOf(*topLevelItem(i)) == slot)
            return topLevelItem(i);
    }
    return nullptr;
}

std::vector<std::uint16_t> DiskListView::SelectedSlots() const
{
    std::vector<std::uint16_t> chosen;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->isSelected())
            chosen.push_back(SlotOf(*topLevelItem(i)));
    }
    return chosen;
}

std::vector<std::uint16_t> DiskListView::SlotsInSelectionOrder() const
{
    std::vector<std::uint16_t> chosen;
    for (const QTreeWidgetItem* item : selectedItems()) chosen.push_back(SlotOf(*item));
    return chosen;
}

}  // namespace scanora::ui
