#pragma once
// The navigation tree (TreeView1): 26 entries, each opening one page. Its texts are set
// by position (0 = "DoorPhone select") by the language texts and the model templates.
// The tree refuses in-place editing and drops, and discards character keys, so typing
// never jumps between entries; the arrow keys still move the selection.
//
// An entry without text is one the model template blanked (a feature the model lacks):
// it is not shown and opens no page. Entry texts wrap onto a second line rather than
// being cut at the tree's fixed width.

#include <QIcon>
#include <QTreeWidget>
#include <array>

class NavigationTree : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kEntries = 26;

    explicit NavigationTree(QWidget* parent = nullptr);

    QTreeWidgetItem* Entry(int position) const { return entries_.at(position); }
    // The page an entry opens.
    static int PageOf(const QTreeWidgetItem* item);
    // The entry that opens a page, nullptr for none.
    QTreeWidgetItem* EntryForPage(int page) const;
    // Text of an entry; icons false leaves it without pictures (a feature the model
    // lacks), true gives the pictures of its level.
    void SetEntry(int position, const QString& text, bool icons);
    // Text of an entry, pictures as they are (the language texts).
    void SetEntryText(int position, const QString& text);
    // A blanked entry: no text, not shown, opens no page.
    static bool IsBlank(const QTreeWidgetItem* item);
    // Neither the entry nor any entry above it is blank: it is shown and opens its page.
    static bool IsOpen(const QTreeWidgetItem* item);

    // The width of an entry's row: the viewport's less the entry's indentation.
    int RowWidth(const QModelIndex& index) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    using QTreeWidget::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void ShowBlankness(QTreeWidgetItem* item);
    void StayOnOpenEntry(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    bool FocusKeptElsewhere() const;

    std::array<QTreeWidgetItem*, kEntries> entries_{};
    QIcon topIcon_;
    QIcon childIcon_;
    bool pressRefused_ = false; // a click whose exit check kept the focus in its field
    int laidOutWidth_ = -1;
};
