#include "Pages.h"

#include "FieldCatalogue.h"
#include "FieldWidgets.h"
#include "LanguageTable.h"
#include "NumberMemory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

// What a layout cell holds.
enum class Cell {
    Group,   // a group box that other cells name as parent
    Radio,   // a radio-group field: its group box and buttons, from the catalogue
    Row,     // caption label, field and unit label, in three columns from col
    Field,   // a field alone
    Check,   // a check-box field
    Caption, // a fixed label (text in `text`)
    Memo,    // a read-only explanation text
    Button,  // a push button
    Picture, // a picture area
};

struct Item {
    int page;
    QString parent; // "" = the page itself
    int row, col, rowSpan, colSpan;
    Cell kind;
    QString name;
    QString label; // Row: caption label name; Caption: its text
    QString unit;  // Row: unit text
    int columns;   // Radio: columns of buttons
};

// A field's caption: on one line where the page is wide enough, wrapped where it is not
// (the longer captions of other languages), so that no page needs a horizontal scroll bar
// at the window's default size.
class CaptionLabel : public QLabel {
public:
    explicit CaptionLabel(QWidget* parent) : QLabel(parent) { setWordWrap(true); }

    // A wrapping label would rather be a narrow block; a caption prefers its one line.
    QSize sizeHint() const override {
        const QMargins m = contentsMargins();
        const int width =
            fontMetrics().horizontalAdvance(text()) + 2 * margin() + m.left() + m.right() + 2;
        return {width, heightForWidth(width)};
    }
    // Captions up to about half the page's width stay whole on their line; the page gives
    // way elsewhere first (a page's columns shrink alike). Only longer ones wrap.
    QSize minimumSizeHint() const override {
        const QSize line = sizeHint();
        const QSize wrapped = QLabel::minimumSizeHint();
        return line.width() <= kLongestLine ? QSize(line.width(), wrapped.height()) : wrapped;
    }

private:
    static constexpr int kLongestLine = 240;
};

// Compact builders for the table below.
Item G(int page, const QString& parent, int row, int col, const QString& name, int rowSpan = 1,
       int colSpan = 1) {
    return {page, parent, row, col, rowSpan, colSpan, Cell::Group, name, {}, {}, 1};
}
Item G(int page, const char* parent, int row, int col, const char* name, int rowSpan = 1,
       int colSpan = 1) {
    return G(page, QLatin1String(parent), row, col, QLatin1String(name), rowSpan, colSpan);
}
Item R(int page, const char* parent, int row, int col, const char* field, int columns = 1,
       int rowSpan = 1, int colSpan = 1) {
    return {page,        QLatin1String(parent), row, col, rowSpan, colSpan,
            Cell::Radio, QLatin1String(field),  {},  {},  columns};
}
// A row of caption label, field and unit: where and what the field catalogue says.
Item F(int page, int row, const char* field) {
    const FieldDef* def = FindField(QLatin1String(field));
    if (!def) return {page, {}, row, 0, 1, 1, Cell::Row, QLatin1String(field), {}, {}, 1};
    return {page, def->group, row, 0, 1, 1, Cell::Row, def->name, def->label, def->unit, 1};
}
// A check box, in the group the field catalogue gives it.
Item C(int page, int row, const char* field, int col = 0, int colSpan = 4) {
    const FieldDef* def = FindField(QLatin1String(field));
    return {page,        def ? def->group : QString(), row, col, 1, colSpan,
            Cell::Check, QLatin1String(field),         {},  {},  1};
}
Item W(Cell kind, int page, const QString& parent, int row, int col, const QString& name,
       int colSpan = 1, const QString& text = {}) {
    return {page, parent, row, col, 1, colSpan, kind, name, text, {}, 1};
}
Item W(Cell kind, int page, const char* parent, int row, int col, const QString& name,
       int colSpan = 1, const QString& text = {}) {
    return W(kind, page, QLatin1String(parent), row, col, name, colSpan, text);
}

QString EditName(int n) {
    return QStringLiteral("Edit%1").arg(n);
}

// The layout of every page. Rows of fields take the columns 0 (caption), 1 (field) and 2
// (unit); a container with such rows keeps its fields together and leaves the spare width
// after the unit.
std::vector<Item> LayoutTable() {
    std::vector<Item> t;
    auto add = [&t](std::initializer_list<Item> items) { t.insert(t.end(), items); };

    // DoorPhone select.
    const int sel = Page::DoorPhoneSelect;
    add({F(sel, 0, "ComboBox16"), W(Cell::Picture, sel, "", 1, 0, QStringLiteral("Image3"), 4),
         F(sel, 2, "Edit91")});

    // Basic parameters.
    const int basic = Page::Basic;
    add({R(basic, "", 0, 0, "GroupBox1", 2), R(basic, "", 1, 0, "GroupBox2"),
         R(basic, "", 2, 0, "GroupBox3", 2), R(basic, "", 3, 0, "GroupBox4"),
         G(basic, "", 4, 0, "GroupBox5"), F(basic, 0, "Edit1")});

    // Codes.
    const int codes = Page::Codes;
    add({G(codes, "", 0, 0, "GroupBox6"), F(codes, 0, "Edit2"), F(codes, 1, "Edit3"),
         G(codes, "", 1, 0, "GroupBox7"), F(codes, 0, "Edit4"), F(codes, 1, "Edit5")});

    // Keyboard: the place on the left, mode and dialling during a call on the right.
    const int kb = Page::Keyboard;
    add({R(kb, "", 0, 0, "GroupBox8", 1, 2), R(kb, "", 0, 1, "GroupBox9"),
         R(kb, "", 1, 1, "GroupBox10")});

    // Relays.
    const int relays = Page::Relays;
    add({F(relays, 0, "Edit6"), W(Cell::Memo, relays, "", 1, 0, QStringLiteral("Memo1"), 4)});

    // Relay 1 and relay 2: modes (with the button of mode 6), codes and timing, exit
    // button, incoming-call switch.
    struct RelayPage {
        int page;
        const char *modes, *modeButton, *codes, *exit, *incoming, *code1, *code2, *pulse, *gap;
    };
    const RelayPage relayPages[] = {
        {Page::Relay1, "GroupBox11", "Edit7", "GroupBox12", "GroupBox13", "CheckBox1", "Edit8",
         "Edit9", "Edit10", "Edit11"},
        {Page::Relay2, "GroupBox14", "Edit12", "GroupBox16", "GroupBox15", "CheckBox2", "Edit13",
         "Edit14", "Edit15", "Edit16"},
    };
    for (const RelayPage& r : relayPages) {
        add({R(r.page, "", 0, 0, r.modes, 1, 1, 2), F(r.page, 8, r.modeButton),
             G(r.page, "", 1, 0, r.codes), F(r.page, 0, r.code1), F(r.page, 1, r.code2),
             F(r.page, 2, r.pulse), F(r.page, 3, r.gap), R(r.page, "", 1, 1, r.exit),
             C(r.page, 2, r.incoming, 0, 2)});
    }

    // External codes: three groups per relay, each with a box of five one-impulse codes
    // and a box of one two-impulse code, the code's number above its field.
    const int groupFirstEdits[] = {17, 23, 29, 35, 41, 47};
    for (int i = 0; i < 6; ++i) {
        const FieldDef* one = FindField(EditName(groupFirstEdits[i]));
        const FieldDef* two = FindField(EditName(groupFirstEdits[i] + 5));
        if (!one || !two) continue;
        add({G(one->page, QString(), i % 3, 0, one->group),
             G(one->page, one->group, 0, 0, one->subGroup),
             G(one->page, one->group, 0, 1, two->subGroup)});
        for (int k = 0; k < 6; ++k) {
            const FieldDef* code = k < 5 ? FindField(EditName(groupFirstEdits[i] + k)) : two;
            if (!code) continue;
            const int col = k < 5 ? k : 0;
            add({W(Cell::Caption, code->page, code->subGroup, 0, col, CodeCaptionName(code->name),
                   1, code->mark),
                 W(Cell::Field, code->page, code->subGroup, 1, col, code->name)});
        }
    }

    // Code relay.
    const int cr = Page::CodeRelay;
    add({C(cr, 0, "CheckBox13"), G(cr, "", 1, 0, "GroupBox31", 1, 4), F(cr, 0, "Edit53"),
         F(cr, 1, "Edit281"), G(cr, "", 2, 0, "GroupBox32", 1, 4), F(cr, 0, "Edit291"),
         F(cr, 1, "Edit292"), F(cr, 3, "Edit293")});

    // Time parameters.
    const int time = Page::Time;
    add({G(time, "", 0, 0, "GroupBox23"), F(time, 0, "ComboBox17"), F(time, 1, "Edit54"),
         F(time, 2, "Edit55"), F(time, 3, "Edit56"), F(time, 4, "Edit57"), F(time, 5, "Edit58"),
         G(time, "", 1, 0, "GroupBox24"), F(time, 0, "ComboBox1"), F(time, 1, "ComboBox2"),
         F(time, 2, "ComboBox3")});

    // Dial parameters.
    const int dial = Page::Dial;
    add({G(dial, "", 0, 0, "GroupBox25"), F(dial, 0, "Edit59"), F(dial, 1, "Edit60"),
         F(dial, 2, "Edit61"), F(dial, 3, "Edit62"), F(dial, 4, "ComboBox4"),
         F(dial, 5, "ComboBox5"), F(dial, 6, "ComboBox6")});

    // HandsFree settings.
    const int hf = Page::HandsFree;
    add({G(hf, "", 0, 0, "GroupBox26"), F(hf, 0, "ComboBox7"), F(hf, 1, "ComboBox8"),
         F(hf, 2, "ComboBox9"), F(hf, 3, "ComboBox10"), G(hf, "", 1, 0, "GroupBox27"),
         C(hf, 0, "CheckBox3"), C(hf, 1, "CheckBox4"), F(hf, 2, "ComboBox11"),
         F(hf, 3, "ComboBox12"), F(hf, 4, "ComboBox13"), F(hf, 5, "ComboBox14")});

    // Automatic Day-Night: the switch, the weekly table, the clock button.
    const int dn = Page::AutoDayNight;
    add({C(dn, 0, "CheckBox5", 0, 1), G(dn, "", 1, 0, "GroupBox28"),
         W(Cell::Button, dn, "", 2, 0, QStringLiteral("Button1")),
         W(Cell::Caption, dn, "GroupBox28", 0, 1, QStringLiteral("Label107"), 3),
         W(Cell::Caption, dn, "GroupBox28", 0, 5, QStringLiteral("Label106"), 3)});
    for (int r = 1; r <= 7; ++r) {
        add({W(Cell::Caption, dn, "GroupBox28", r, 0, WeekdayLabelName(r))});
        for (int c = 0; c < 4; ++c) {
            const int col = c < 2 ? 1 + 2 * c : 5 + 2 * (c - 2);
            add({W(Cell::Field, dn, "GroupBox28", r, col, TimeFieldName(r, c))});
            if (c % 2 == 0)
                add({W(Cell::Caption, dn, "GroupBox28", r, col + 1,
                       TimeSeparatorName(TimeFieldName(r, c)), 1, QStringLiteral(":"))});
        }
    }

    // System parameters.
    const int sys = Page::System;
    add({G(sys, "", 0, 0, "GroupBox29"), F(sys, 0, "ComboBox15"), C(sys, 1, "CheckBox7"),
         C(sys, 2, "CheckBox8"), C(sys, 3, "CheckBox9"), G(sys, "", 1, 0, "GroupBox30"),
         C(sys, 0, "CheckBox6"), C(sys, 1, "CheckBox10"), C(sys, 2, "CheckBox11"),
         C(sys, 3, "CheckBox12"), C(sys, 4, "CheckBox14")});

    // Telephone numbers: the explanation, then ten pages of buttons.
    add({W(Cell::Memo, Page::Numbers, "", 0, 0, QStringLiteral("Memo2"))});
    const int dayHeadings[10] = {125, 137, 149, 161, 173, 185, 197, 219, 231, 243};
    for (int p = 0; p < 10; ++p) {
        const int page = Page::FirstButtons + p;
        add({W(Cell::Caption, page, "", 0, 1, QStringLiteral("Label%1").arg(dayHeadings[p])),
             W(Cell::Caption, page, "", 0, 2, QStringLiteral("Label%1").arg(dayHeadings[p] + 1))});
        for (int b = p * 10 + 1; b <= std::min(99, p * 10 + 10); ++b) {
            const int row = b - p * 10;
            add({W(Cell::Caption, page, "", row, 0, ButtonRowLabel(b)),
                 W(Cell::Field, page, "", row, 1, FirstNumberField(b)),
                 W(Cell::Field, page, "", row, 2, SecondNumberField(b))});
        }
    }
    return t;
}

// The hints that no language entry carries.
struct FixedHint {
    const char* widget;
    const char* text;
};
const FixedHint kFixedHints[] = {
    {"RadioButton16", "Only for version firmware > V1.6"},
    {"RadioButton12", "Only for version firmware > V1.6"},
    {"RadioButton13", "Only for version firmware > V1.6"},
    {"RadioButton14", "Only for version firmware > V1.6"},
    {"RadioButton15", "Only for version firmware > V1.6"},
    {"RadioButton17", "Only for version firmware > V1.6"},
};

class Builder {
public:
    explicit Builder(QWidget* parent) {
        set_.area = new QStackedWidget(parent);
        set_.area->setObjectName(QStringLiteral("PageControl1"));
        for (int p = 0; p < kPageCount; ++p) {
            // A page taller or wider than the window scrolls rather than raising the
            // window's minimum size.
            auto* page = new QScrollArea(set_.area);
            page->setObjectName(QStringLiteral("TabSheet%1").arg(p + 1));
            page->setFrameShape(QFrame::NoFrame);
            // Tab stops at the page's controls, not at the page around them.
            page->setFocusPolicy(Qt::NoFocus);
            page->setWidgetResizable(true);
            auto* content = new QWidget(page);
            content->setObjectName(page->objectName() + QStringLiteral("Content"));
            auto* grid = new QGridLayout(content);
            grid->setContentsMargins(6, 4, 6, 4);
            grid->setHorizontalSpacing(6);
            grid->setVerticalSpacing(4);
            page->setWidget(content);
            set_.area->addWidget(page);
            Register(page);
            containers_.insert_or_assign(page->objectName(), Container{content, grid, true});
            pages_[p] = page->objectName();
        }
    }

    void Add(const Item& item) {
        const QString parentName = item.parent.isEmpty() ? pages_[item.page] : item.parent;
        auto it = containers_.find(parentName);
        if (it == containers_.end()) {
            qWarning() << "Pages: unknown container" << parentName;
            return;
        }
        Container& parent = it->second;
        QWidget* host = parent.widget;
        switch (item.kind) {
        case Cell::Group: {
            auto* box = NewGroup(item.name, host);
            Place(parent, box, item);
            break;
        }
        case Cell::Radio: {
            const FieldDef* def = FindField(item.name);
            if (!def) break;
            auto* box = NewGroup(item.name, host);
            Container& inner = containers_[item.name];
            const int n = int(def->options.size());
            for (int i = 0; i < n; ++i) {
                auto* radio = new QRadioButton(box);
                radio->setObjectName(def->options[i].name);
                Register(radio);
                // One column of buttons leaves room for rows of fields below them.
                if (item.columns == 1)
                    inner.grid->addWidget(radio, i, 0, 1, 4);
                else
                    inner.grid->addWidget(radio, i / item.columns, i % item.columns);
            }
            Place(parent, box, item);
            break;
        }
        case Cell::Row: {
            auto* label = new CaptionLabel(host);
            label->setObjectName(item.label);
            Register(label);
            parent.grid->addWidget(label, item.row, item.col);
            if (QWidget* field = NewField(item.name, host))
                parent.grid->addWidget(field, item.row, item.col + 1, Qt::AlignLeft);
            if (!item.unit.isEmpty()) {
                auto* unit = NewLabel(UnitLabelName(item.name), host);
                unit->setText(item.unit);
                parent.grid->addWidget(unit, item.row, item.col + 2);
            }
            parent.Compact(item.col + 2);
            break;
        }
        case Cell::Field:
            if (QWidget* field = NewField(item.name, host))
                Place(parent, field, item, Qt::AlignLeft);
            parent.Compact(item.col + item.colSpan - 1);
            break;
        case Cell::Check: {
            auto* check = new QCheckBox(host);
            check->setObjectName(item.name);
            Register(check);
            Place(parent, check, item);
            break;
        }
        case Cell::Caption: {
            auto* label = NewLabel(item.name, host);
            label->setText(item.label);
            Place(parent, label, item);
            parent.Compact(item.col + item.colSpan - 1);
            break;
        }
        case Cell::Memo: {
            auto* memo = new QPlainTextEdit(host);
            memo->setObjectName(item.name);
            memo->setReadOnly(true);
            // The explanations take no typing, but their text can be read and copied.
            memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            memo->setTabChangesFocus(true);
            Register(memo);
            Place(parent, memo, item);
            parent.stretchRow = item.row;
            break;
        }
        case Cell::Button: {
            auto* button = new QPushButton(host);
            button->setObjectName(item.name);
            Register(button);
            Place(parent, button, item, Qt::AlignLeft);
            break;
        }
        case Cell::Picture: {
            auto* picture = new QLabel(host);
            picture->setObjectName(item.name);
            picture->setAlignment(Qt::AlignCenter);
            picture->setFrameShape(QFrame::StyledPanel);
            picture->setMinimumSize(160, 160);
            picture->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            Register(picture);
            Place(parent, picture, item);
            parent.stretchRow = item.row;
            break;
        }
        }
    }

    // A field that the layout table does not place goes below the rest of its group (the
    // group below the rest of the page): a new field needs no layout of its own.
    void PlaceUnplaced() {
        for (const FieldDef& def : FieldCatalogue()) {
            if (set_.widgets.contains(def.name) || def.page < 0 || def.page >= kPageCount) continue;
            if (!def.group.isEmpty() && !containers_.count(def.group))
                Add(G(def.page, QString(), NextRow(pages_[def.page]), 0, def.group));
            const int row = NextRow(def.group.isEmpty() ? pages_[def.page] : def.group);
            Cell kind = Cell::Row;
            if (def.kind == FieldKind::Flag)
                kind = Cell::Check;
            else if (def.style == ChoiceStyle::RadioGroup)
                kind = Cell::Radio;
            else if (def.label.isEmpty())
                kind = Cell::Field;
            const int span = kind == Cell::Row || kind == Cell::Field ? 1 : 4;
            Add({def.page, def.group, row, 0, 1, span, kind, def.name, def.label, def.unit, 1});
        }
    }

    PageSet Finish(QWidget* tabBefore) {
        for (auto& [name, c] : containers_) {
            QGridLayout* grid = c.grid;
            const int rows = grid->rowCount();
            const int cols = grid->columnCount();
            if (c.lastCompactCol >= 0) {
                // Fields stay beside their captions; spare width goes after the last of
                // them, where only wider controls (groups, memos) reach.
                grid->setColumnStretch(c.lastCompactCol + 1, 1);
            } else {
                for (int col = 0; col < cols; ++col) grid->setColumnStretch(col, 1);
            }
            if (c.page) {
                // Content sits at the top of the page unless a memo or picture fills it.
                if (c.stretchRow >= 0)
                    grid->setRowStretch(c.stretchRow, 1);
                else
                    grid->setRowStretch(rows, 1);
            }
        }
        // The day/night table: a gap between the day and the night columns.
        const auto dayNight = containers_.find(QStringLiteral("GroupBox28"));
        if (auto* dn = dayNight != containers_.end() ? dayNight->second.grid : nullptr)
            dn->setColumnMinimumWidth(4, 24);
        for (const FixedHint& h : kFixedHints)
            if (QWidget* w = set_.widgets.value(QLatin1String(h.widget)))
                w->setToolTip(QLatin1String(h.text));
        OrderTabs(tabBefore);
        return set_;
    }

private:
    // Where a control stands on its page as it is read: the row and the column of every
    // grid cell that holds it, from the page's own grid inwards.
    static std::vector<std::pair<int, int>> ReadingPosition(QWidget* w, const QWidget* content) {
        std::vector<std::pair<int, int>> position;
        for (QWidget* child = w; child && child != content; child = child->parentWidget()) {
            const QWidget* parent = child->parentWidget();
            auto* grid = parent ? qobject_cast<QGridLayout*>(parent->layout()) : nullptr;
            int row = 0, col = 0, rowSpan = 0, colSpan = 0;
            const int index = grid ? grid->indexOf(child) : -1;
            if (index >= 0) grid->getItemPosition(index, &row, &col, &rowSpan, &colSpan);
            position.emplace_back(row, col);
        }
        std::reverse(position.begin(), position.end());
        return position;
    }

    // The controls are made in the order of the layout table, which is not always the
    // order in which the page reads (the clock button is made before the weekly table it
    // stands under): the Tab chain follows the grid cells instead.
    void OrderTabs(QWidget* previous) {
        for (const QString& pageName : pages_) {
            const QWidget* content = containers_.at(pageName).widget;
            std::vector<std::pair<std::vector<std::pair<int, int>>, QWidget*>> stops;
            for (QWidget* w : std::as_const(set_.widgets))
                if ((w->focusPolicy() & Qt::TabFocus) && content->isAncestorOf(w))
                    stops.emplace_back(ReadingPosition(w, content), w);
            std::stable_sort(stops.begin(), stops.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (const auto& stop : stops) {
                if (previous) QWidget::setTabOrder(previous, stop.second);
                previous = stop.second;
            }
        }
    }

    struct Container {
        QWidget* widget = nullptr;
        QGridLayout* grid = nullptr;
        bool page = false;
        int lastCompactCol = -1; // last column of captions and fields, -1 none
        void Compact(int col) { lastCompactCol = std::max(lastCompactCol, col); }
        int stretchRow = -1;
    };

    int NextRow(const QString& container) {
        const auto it = containers_.find(container);
        return it == containers_.end() ? 0 : it->second.grid->rowCount();
    }

    void Register(QWidget* w) {
        if (set_.widgets.contains(w->objectName()))
            qWarning() << "Pages: duplicate control name" << w->objectName();
        set_.widgets.insert(w->objectName(), w);
    }

    QGroupBox* NewGroup(const QString& name, QWidget* host) {
        auto* box = new QGroupBox(host);
        box->setObjectName(name);
        auto* grid = new QGridLayout(box);
        grid->setContentsMargins(8, 4, 8, 6);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(2);
        Register(box);
        containers_.insert_or_assign(name, Container{box, grid});
        return box;
    }

    QLabel* NewLabel(const QString& name, QWidget* host) {
        auto* label = new QLabel(host);
        label->setObjectName(name);
        Register(label);
        return label;
    }

    QWidget* NewField(const QString& name, QWidget* host) {
        const FieldDef* def = FindField(name);
        if (!def) {
            qWarning() << "Pages: no field" << name;
            return nullptr;
        }
        QWidget* w = nullptr;
        if (def->kind == FieldKind::Text) {
            auto* edit = new FieldEdit(*def, host);
            // Wide enough for what the keyboard may enter.
            // Wide enough for what the keyboard may enter; short codes get some air.
            const int chars = std::max(def->maxLength > 0 ? def->maxLength : 8, 2);
            const int room = chars <= 3 ? chars + 1 : chars;
            edit->setFixedWidth(
                edit->fontMetrics().horizontalAdvance(QString(room, QLatin1Char('0'))) + 12);
            w = edit;
        } else if (def->style == ChoiceStyle::List) {
            auto* box = new QComboBox(host);
            box->setObjectName(name);
            // Only the list that takes digits can be typed into.
            box->setEditable(def->keyFilter != KeyFilter::Blocked);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            const int n =
                def->initialItemCount < 0 ? int(def->options.size()) : def->initialItemCount;
            for (int i = 0; i < n; ++i) box->addItem(def->options[i].name);
            box->setMinimumContentsLength(3);
            w = box;
        } else if (def->kind == FieldKind::Flag) {
            w = new QCheckBox(host);
            w->setObjectName(name);
        }
        if (w) Register(w);
        return w;
    }

    void Place(Container& parent, QWidget* w, const Item& item, Qt::Alignment align = {}) {
        parent.grid->addWidget(w, item.row, item.col, item.rowSpan, item.colSpan, align);
    }

    PageSet set_;
    // Node-based: Add() holds a reference to a parent container while inner groups are
    // added, which a rehashing QHash would invalidate.
    std::map<QString, Container> containers_;
    QString pages_[kPageCount];
};

} // namespace

PageSet BuildPages(QWidget* parent, QWidget* tabBefore) {
    Builder builder(parent);
    for (const Item& item : LayoutTable()) builder.Add(item);
    builder.PlaceUnplaced();
    PageSet set = builder.Finish(tabBefore);

    // Radio buttons that are shown but never chosen (mode 5 of relay 1: sequential
    // switching is relay 2's).
    for (const FieldDef& def : FieldCatalogue())
        for (const ChoiceOption& option : def.options)
            if (!option.offered)
                if (QWidget* button = set.widgets.value(option.name)) button->setEnabled(false);
    for (int field = 17; field <= 52; ++field)
        if (auto* caption = qobject_cast<QLabel*>(
                set.widgets.value(CodeCaptionName(QStringLiteral("Edit%1").arg(field)))))
            caption->setAlignment(Qt::AlignCenter);
    // Sunday and Saturday stand out in the weekly table.
    for (int row : {1, 7})
        if (QWidget* label = set.widgets.value(WeekdayLabelName(row))) {
            QFont font = label->font();
            font.setBold(true);
            label->setFont(font);
        }
    return set;
}

QString UnitLabelName(const QString& field) {
    // The delay of relay 2 keeps the name the model templates use for its unit.
    if (field == QLatin1String("Edit6")) return QStringLiteral("Label249");
    return QStringLiteral("Unit") + field;
}

QString TimeSeparatorName(const QString& hourField) {
    return QStringLiteral("Sep") + hourField;
}

QString CodeCaptionName(const QString& codeField) {
    return QStringLiteral("Code") + codeField;
}

QString TimeFieldName(int row, int column) {
    return EditName(63 + 4 * (row - 1) + column);
}

QString WeekdayLabelName(int row) {
    return QStringLiteral("Label%1").arg(98 + row);
}
