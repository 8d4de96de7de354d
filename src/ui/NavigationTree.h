#pragma once
// The navigation tree (TreeView1): 26 entries, each opening one page. Its texts are set
// by position (0 = "DoorPhone select") by the language texts and the model templates.
// The tree refuses in-place editing and drops, and discards character keys, so typing
// never jumps between entries; the arrow keys still move the selection.

#include <QIcon>
#include <QTreeWidget>
#include <array>

class NavigationTree : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kEntries = 26;

    explicit NavigationTree(QWidget* parent = nullptr);

    QTreeWidgetItem* Entry(int position) const { return entries_.at(position); }
    int PositionOf(const QTreeWidgetItem* item) const;
    // The page an entry opens.
    static int PageOf(const QTreeWidgetItem* item);
    // The entry that opens a page, nullptr for none.
    QTreeWidgetItem* EntryForPage(int page) const;
    // Text of an entry; icons false leaves it without pictures (a feature the model
    // lacks), true gives the pictures of its level.
    void SetEntry(int position, const QString& text, bool icons);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    using QTreeWidget::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    std::array<QTreeWidgetItem*, kEntries> entries_{};
    QIcon topIcon_;
    QIcon childIcon_;
};
