#include "NavigationTree.h"

#include "FieldCatalogue.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {
struct EntryDef {
    const char* text; // the built-in text; the language texts set it again
    int page;
    int level;
};
// In tree order; the nesting follows the level.
const EntryDef kEntries[NavigationTree::kEntries] = {
    {"DoorPhone select", Page::DoorPhoneSelect, 0},
    {"Basic parameters", Page::Basic, 0},
    {"Codes", Page::Codes, 1},
    {"Keyboard", Page::Keyboard, 1},
    {"Relays", Page::Relays, 0},
    {"Relay 1", Page::Relay1, 1},
    {"External codes 1", Page::ExternalCodes1, 2},
    {"Code relay", Page::CodeRelay, 2},
    {"Relay 2", Page::Relay2, 1},
    {"External codes 2", Page::ExternalCodes2, 2},
    {"Time parameters", Page::Time, 0},
    {"Dial parameters", Page::Dial, 1},
    {"HandsFree settings", Page::HandsFree, 0},
    {"Automatic Day-Night", Page::AutoDayNight, 0},
    {"System parameters", Page::System, 0},
    {"Telephone numbers", Page::Numbers, 0},
    {"Buttons  1-10", Page::FirstButtons + 0, 1},
    {"Buttons 11-20", Page::FirstButtons + 1, 1},
    {"Buttons 21-30", Page::FirstButtons + 2, 1},
    {"Buttons 31-40", Page::FirstButtons + 3, 1},
    {"Buttons 41-50", Page::FirstButtons + 4, 1},
    {"Buttons 51-60", Page::FirstButtons + 5, 1},
    {"Buttons 61-70", Page::FirstButtons + 6, 1},
    {"Buttons 71-80", Page::FirstButtons + 7, 1},
    {"Buttons 81-90", Page::FirstButtons + 8, 1},
    {"Buttons 91-99", Page::FirstButtons + 9, 1},
};
constexpr int kPageRole = Qt::UserRole + 1;
constexpr int kLevelRole = Qt::UserRole + 2;

QIcon TwoStateIcon(const QString& normal, const QString& selected) {
    QIcon icon;
    icon.addFile(normal, QSize(16, 16), QIcon::Normal);
    icon.addFile(selected, QSize(16, 16), QIcon::Selected);
    return icon;
}

// Rows as high as their text needs, wrapped at the row's width. A text that still cannot
// be shown whole (one word wider than the row) shows whole in a tooltip.
class EntryDelegate : public QStyledItemDelegate {
public:
    explicit EntryDelegate(NavigationTree* tree) : QStyledItemDelegate(tree), tree_(tree) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        // The style wraps at the width of a valid rectangle only; the height is its answer.
        opt.rect = QRect(0, 0, tree_->RowWidth(index), QWIDGETSIZE_MAX);
        opt.features |= QStyleOptionViewItem::WrapText;
        return QStyledItemDelegate::sizeHint(opt, index);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() == QEvent::ToolTip && index.isValid()) {
            QStyleOptionViewItem opt(option);
            initStyleOption(&opt, index);
            opt.features |= QStyleOptionViewItem::WrapText;
            QStyle* style = view->style();
            // The style keeps a margin on either side of the text's rectangle.
            const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, view) + 1;
            const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, view)
                                   .adjusted(margin, 0, -margin, 0);
            const QRect needed = QFontMetrics(opt.font).boundingRect(
                QRect(0, 0, room.width(), QWIDGETSIZE_MAX), Qt::TextWordWrap, opt.text);
            if (needed.width() > room.width() || needed.height() > room.height()) {
                QToolTip::showText(event->globalPos(), opt.text, view, option.rect);
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

private:
    NavigationTree* tree_;
};
} // namespace

NavigationTree::NavigationTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("TreeView1"));
    setColumnCount(1);
    header()->hide();
    // The tree is narrow: a slightly smaller face keeps entries such as "Automatic
    // Day-Night" whole.
    QFont face = font();
    face.setPointSizeF(face.pointSizeF() - 1);
    setFont(face);
    setIndentation(16);
    setIconSize(QSize(16, 16));
    // Texts that do not fit the tree's width take a second line.
    setWordWrap(true);
    setUniformRowHeights(false);
    setTextElideMode(Qt::ElideNone);
    setItemDelegate(new EntryDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // Icons 0 and 2 (selected) for top-level entries, 1 and 3 for the entries below.
    topIcon_ =
        TwoStateIcon(QStringLiteral(":/icons/tree0.svg"), QStringLiteral(":/icons/tree2.svg"));
    childIcon_ =
        TwoStateIcon(QStringLiteral(":/icons/tree1.svg"), QStringLiteral(":/icons/tree3.svg"));

    QTreeWidgetItem* parents[3] = {};
    for (int i = 0; i < kEntries; ++i) {
        const EntryDef& def = ::kEntries[i];
        auto* item = def.level == 0 ? new QTreeWidgetItem(this)
                                    : new QTreeWidgetItem(parents[def.level - 1]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(0, kPageRole, def.page);
        item->setData(0, kLevelRole, def.level);
        parents[def.level] = item;
        entries_[i] = item;
        SetEntry(i, QLatin1String(def.text), true);
    }
    expandAll();
    connect(this, &QTreeWidget::currentItemChanged, this, &NavigationTree::StayOnOpenEntry);
}

int NavigationTree::PageOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPageRole).toInt() : -1;
}

QTreeWidgetItem* NavigationTree::EntryForPage(int page) const {
    for (QTreeWidgetItem* item : entries_)
        if (PageOf(item) == page) return item;
    return nullptr;
}

void NavigationTree::SetEntry(int position, const QString& text, bool icons) {
    if (position < 0 || position >= kEntries) return;
    QTreeWidgetItem* item = entries_[position];
    item->setText(0, text);
    const bool top = item->data(0, kLevelRole).toInt() == 0;
    item->setIcon(0, icons ? (top ? topIcon_ : childIcon_) : QIcon());
    ShowBlankness(item);
}

void NavigationTree::SetEntryText(int position, const QString& text) {
    if (position < 0 || position >= kEntries) return;
    entries_[position]->setText(0, text);
    ShowBlankness(entries_[position]);
}

bool NavigationTree::IsBlank(const QTreeWidgetItem* item) {
    return item && item->text(0).trimmed().isEmpty();
}

bool NavigationTree::IsOpen(const QTreeWidgetItem* item) {
    if (!item) return false;
    for (; item; item = item->parent())
        if (IsBlank(item)) return false;
    return true;
}

void NavigationTree::ShowBlankness(QTreeWidgetItem* item) {
    // A hidden entry has no row, so no expand arrow, and cannot be clicked.
    item->setHidden(IsBlank(item));
    // The page on show belongs to a feature the model no longer has: show the entry
    // above it instead.
    QTreeWidgetItem* current = currentItem();
    if (current && !IsOpen(current)) {
        QTreeWidgetItem* open = current;
        while (open && !IsOpen(open)) open = open->parent();
        setCurrentItem(open ? open : entries_[0]);
    }
}

void NavigationTree::StayOnOpenEntry(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    // A blanked entry selected by code opens nothing: the selection goes back.
    if (!current || IsOpen(current)) return;
    setCurrentItem(IsOpen(previous) ? previous : entries_[0]);
}

int NavigationTree::RowWidth(const QModelIndex& index) const {
    int levels = rootIsDecorated() ? 1 : 0;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ++levels;
    return viewport()->width() - levels * indentation();
}

void NavigationTree::keyPressEvent(QKeyEvent* event) {
    // Character keys would search the entries by their first letter.
    if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

bool NavigationTree::FocusKeptElsewhere() const {
    // A press has tried to give the tree the focus before it reaches the tree. A field
    // whose exit check refused its value took the focus straight back: the user stays in
    // that field, on that page.
    if (!(focusPolicy() & Qt::ClickFocus)) return false;
    const QWidget* focus = window()->focusWidget();
    return focus && focus != this;
}

void NavigationTree::mousePressEvent(QMouseEvent* event) {
    pressRefused_ = FocusKeptElsewhere();
    if (pressRefused_) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void NavigationTree::mouseDoubleClickEvent(QMouseEvent* event) {
    pressRefused_ = FocusKeptElsewhere();
    if (pressRefused_) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void NavigationTree::mouseMoveEvent(QMouseEvent* event) {
    // Dragging over the entries would select them.
    if (pressRefused_) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void NavigationTree::mouseReleaseEvent(QMouseEvent* event) {
    if (pressRefused_) {
        pressRefused_ = false;
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void NavigationTree::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    // Row heights follow the width their texts wrap at, which the vertical scroll bar
    // narrows. Narrower rows are never lower, so a scroll bar that wrapping brings stays.
    if (viewport()->width() != laidOutWidth_) {
        laidOutWidth_ = viewport()->width();
        scheduleDelayedItemsLayout();
    }
}

void NavigationTree::dragEnterEvent(QDragEnterEvent* event) {
    event->ignore();
}

void NavigationTree::dragMoveEvent(QDragMoveEvent* event) {
    event->ignore();
}

void NavigationTree::dropEvent(QDropEvent* event) {
    event->ignore();
}

bool NavigationTree::edit(const QModelIndex&, EditTrigger, QEvent*) {
    return false; // entry texts are not edited in place
}
