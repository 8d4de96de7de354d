#include "FieldWidgets.h"

#include "LanguageTexts.h"
#include "SettingsModel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

// ---- FieldEdit ---------------------------------------------------------------------------

FieldEdit::FieldEdit(const FieldDef& def, QWidget* parent) : QLineEdit(parent), def_(def) {
    setObjectName(def.name);
    // Dropped text would bypass the key filter.
    setAcceptDrops(false);
}

int FieldEdit::Room() const {
    if (def_.maxLength <= 0) return std::numeric_limits<int>::max();
    return def_.maxLength - (int(text().size()) - int(selectedText().size()));
}

QString FieldEdit::InsertTyped(const QString& typed) {
    QString accepted;
    int room = Room();
    for (const QChar c : typed) {
        if (room <= 0) break;
        if (c == kBackspace) continue;
        const std::optional<QChar> mapped = FilterKey(def_.keyFilter, c);
        if (!mapped) continue;
        accepted += *mapped;
        --room;
    }
    if (!accepted.isEmpty() && !isReadOnly()) insert(accepted);
    return accepted;
}

void FieldEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        InsertTyped(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    QChar c;
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        c = kBackspace;
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint() &&
               !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        c = event->text().at(0);
    } else {
        // Keys without a character (arrows, Delete, shortcuts) are not filtered.
        QLineEdit::keyPressEvent(event);
        return;
    }
    const std::optional<QChar> mapped = FilterKey(def_.keyFilter, c);
    if (!mapped) {
        event->accept();
        return;
    }
    if (c == kBackspace) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (Room() <= 0) {
        event->accept();
        return;
    }
    if (*mapped == c && event->text().size() == 1) {
        QLineEdit::keyPressEvent(event);
    } else {
        insert(QString(*mapped));
        event->accept();
    }
}

void FieldEdit::inputMethodEvent(QInputMethodEvent* event) {
    // A composed text is typing too: it goes through the filter.
    if (!event->commitString().isEmpty() && event->preeditString().isEmpty()) {
        InsertTyped(event->commitString());
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void FieldEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    Q_EMIT FocusLeft(this, event->reason());
}

void FieldEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    // Pasting is typing: route it through the key filter and the length limit.
    for (QAction* action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste")) continue;
        disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
        connect(action, &QAction::triggered, this,
                [this] { InsertTyped(QGuiApplication::clipboard()->text()); });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// ---- FieldBinder -------------------------------------------------------------------------

FieldBinder::FieldBinder(SettingsModel& model, const QHash<QString, QWidget*>& widgets, Host host,
                         QObject* parent)
    : QObject(parent), model_(model), widgets_(widgets), host_(std::move(host)) {
    for (const FieldDef& def : FieldCatalogue()) Bind(def);
    connect(&model_, &SettingsModel::FieldChanged, this, &FieldBinder::Show);
}

void FieldBinder::Bind(const FieldDef& def) {
    Binding b;
    b.def = &def;
    b.widget = widgets_.value(def.name);
    if (!b.widget) {
        qWarning() << "FieldBinder: no widget for" << def.name;
        return;
    }
    const QString name = def.name;
    if (def.style == ChoiceStyle::RadioGroup) {
        for (int i = 0; i < def.options.size(); ++i) {
            auto* radio = qobject_cast<QAbstractButton*>(widgets_.value(def.options[i].name));
            b.radios << radio;
            if (!radio) continue;
            connect(radio, &QAbstractButton::toggled, this, [this, name, i](bool checked) {
                if (!checked || updating_) return;
                model_.SetChoice(name, i);
            });
        }
    } else if (auto* box = qobject_cast<QComboBox*>(b.widget)) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, name](int index) {
            if (updating_) return;
            model_.SetChoice(name, index);
        });
        if (box->isEditable()) {
            connect(box, &QComboBox::editTextChanged, this, [this, name, box](const QString& t) {
                if (updating_) return;
                ++updating_; // the typed text stays as it is while the model follows
                model_.SetChoice(name,
                                 box->findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive));
                --updating_;
            });
            if (box->lineEdit()) {
                box->lineEdit()->installEventFilter(this);
                listOf_.insert(box->lineEdit(), name);
            }
        }
        box->installEventFilter(this);
        box->view()->installEventFilter(this);
        listOf_.insert(box, name);
        listOf_.insert(box->view(), name);
    } else if (auto* check = qobject_cast<QCheckBox*>(b.widget)) {
        connect(check, &QCheckBox::toggled, this, [this, name](bool on) {
            if (updating_) return;
            model_.SetFlag(name, on);
        });
    } else if (auto* edit = qobject_cast<FieldEdit*>(b.widget)) {
        connect(edit, &QLineEdit::textChanged, this, [this, name](const QString& text) {
            if (updating_) return;
            ++updating_;
            model_.SetText(name, text);
            --updating_;
        });
        connect(edit, &FieldEdit::FocusLeft, this,
                [this, name](FieldEdit*, Qt::FocusReason reason) { OnFocusLeft(name, reason); });
    }
    bindings_.insert(name, b);
}

void FieldBinder::ShowAll() {
    for (auto it = bindings_.cbegin(); it != bindings_.cend(); ++it) Show(it.key());
}

void FieldBinder::Show(const QString& field) {
    const auto it = bindings_.constFind(field);
    if (it == bindings_.constEnd()) return;
    const Binding& b = *it;
    ++updating_;
    switch (b.def->kind) {
    case FieldKind::Text:
        if (auto* edit = qobject_cast<QLineEdit*>(b.widget)) {
            const QString text = model_.Text(field);
            // Typing reaches the model while updating_ is held: the field already shows it.
            if (edit->text() != text) edit->setText(text);
        }
        break;
    case FieldKind::Flag:
        if (auto* check = qobject_cast<QCheckBox*>(b.widget)) check->setChecked(model_.Flag(field));
        break;
    case FieldKind::Choice:
        if (b.def->style == ChoiceStyle::RadioGroup) {
            const int pos = model_.Choice(field);
            for (int i = 0; i < b.radios.size(); ++i) {
                QAbstractButton* radio = b.radios[i];
                if (!radio) continue;
                if (i == pos) {
                    radio->setChecked(true);
                } else if (radio->isChecked()) {
                    // An exclusive button cannot be unticked directly: "no selection".
                    radio->setAutoExclusive(false);
                    radio->setChecked(false);
                    radio->setAutoExclusive(true);
                }
            }
        } else if (auto* box = qobject_cast<QComboBox*>(b.widget)) {
            const QStringList items = model_.ChoiceItems(field);
            QStringList shown;
            for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
            if (shown != items) {
                box->clear();
                box->addItems(items);
            }
            const int pos = model_.Choice(field);
            const bool typing = box->isEditable() && box->hasFocus() &&
                                box->findText(box->currentText(),
                                              Qt::MatchFixedString | Qt::MatchCaseSensitive) == pos;
            if (!typing && (box->currentIndex() != pos ||
                            (pos >= 0 && box->currentText() != box->itemText(pos)))) {
                box->setCurrentIndex(pos);
                if (pos < 0 && box->isEditable()) box->setEditText(QString());
            }
        }
        break;
    }
    --updating_;
}

QString FieldBinder::ShownListText(const QComboBox* box) {
    if (box->isEditable()) {
        const int i =
            box->findText(box->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive);
        return i >= 0 ? box->itemText(i) : QString();
    }
    return box->currentIndex() >= 0 ? box->currentText() : QString();
}

bool FieldBinder::RunExitCheck(const QString& field) {
    const auto it = bindings_.constFind(field);
    if (it == bindings_.constEnd() || !host_.texts) return true;
    // A copy: the message boxes below may let the bindings change.
    const Binding b = *it; // NOLINT(performance-unnecessary-copy-initialization)
    if (b.def->exitRule == ExitRule::A) return true;

    QString shown;
    auto* box = qobject_cast<QComboBox*>(b.widget);
    if (box)
        shown = ShownListText(box);
    else if (auto* edit = qobject_cast<QLineEdit*>(b.widget))
        shown = edit->text();
    const ExitContext context = host_.context ? host_.context() : ExitContext();
    const ExitOutcome outcome = CheckOnExit(*b.def, shown, context);
    if (outcome.changed) {
        if (box)
            model_.SetChoice(field, outcome.position);
        else
            model_.SetText(field, outcome.text);
        Show(field); // also when the model held the value already (a typed list text)
    }
    if (outcome.message.IsSet() && host_.message)
        host_.message(ExitMessageText(outcome, *host_.texts),
                      ExitMessageCaption(outcome, *host_.texts), outcome.icon);
    if (outcome.focusBack && b.widget->isVisible() && b.widget->isEnabled()) {
        const bool wasSuspended = suspended_;
        suspended_ = true; // the control the focus was moving to was never really entered
        b.widget->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(b.widget)) edit->selectAll();
        suspended_ = wasSuspended;
    }
    return !outcome.message.IsSet() && !outcome.focusBack;
}

void FieldBinder::OnFocusLeft(const QString& field, Qt::FocusReason reason) {
    if (suspended_) return;
    // A menu, a pop-up or another window taking the keyboard is no leaving of the field.
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return;
    RunExitCheck(field);
}

bool FieldBinder::eventFilter(QObject* watched, QEvent* event) {
    const auto it = listOf_.constFind(watched);
    if (it == listOf_.constEnd()) return QObject::eventFilter(watched, event);
    // A copy: a refusal below may let the list of fields change.
    const QString field = *it; // NOLINT(performance-unnecessary-copy-initialization)
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        QChar c;
        if (key->key() == Qt::Key_Backspace && key->modifiers() == Qt::NoModifier)
            c = kBackspace;
        else if (!key->text().isEmpty() && key->text().at(0).isPrint() &&
                 !(key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
            c = key->text().at(0);
        else
            return false;
        const FieldDef* def = bindings_.value(field).def;
        if (!def) return false;
        return !FilterKey(def->keyFilter, c).has_value(); // true eats the key
    }
    if (event->type() == QEvent::FocusOut && qobject_cast<QComboBox*>(watched)) {
        OnFocusLeft(field, static_cast<QFocusEvent*>(event)->reason());
    }
    return false;
}
