#include "LanguageApply.h"

#include "FileAccess.h"
#include "LanguageTable.h"
#include "LanguageTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTextEdit>

bool SetCaption(QObject* target, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        menu->menuAction()->setText(text);
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
        group->setTitle(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(target)) {
        plain->setPlainText(text);
    } else if (auto* rich = qobject_cast<QTextEdit*>(target)) {
        rich->setPlainText(text);
    } else if (auto* widget = qobject_cast<QWidget*>(target); widget && widget->isWindow()) {
        widget->setWindowTitle(text);
    } else {
        return false;
    }
    return true;
}

bool SetHint(QObject* target, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setToolTip(text);
        return true;
    }
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        menu->menuAction()->setToolTip(text);
        return true;
    }
    if (auto* widget = qobject_cast<QWidget*>(target)) {
        widget->setToolTip(text);
        return true;
    }
    return false;
}

int ApplyLanguageTexts(const LanguageTexts& texts, const LanguageSurface& surface) {
    int missing = 0;
    for (const LanguageEntry& entry : LanguageTable()) {
        for (const LanguageTarget& target : entry.targets) {
            switch (target.use) {
            case TextUse::Stored: break; // read where it is used
            case TextUse::TreeNode:
                if (surface.treeEntry)
                    surface.treeEntry(target.index, ComposeText(entry, target, texts));
                break;
            case TextUse::PageTitle:
                if (surface.pageTitle) surface.pageTitle();
                break;
            case TextUse::Caption:
            case TextUse::Text:
            case TextUse::Hint:
            case TextUse::Picture: {
                QObject* object = surface.find ? surface.find(target.object) : nullptr;
                if (!object) {
                    ++missing;
                    break;
                }
                if (target.use == TextUse::Hint) {
                    SetHint(object, ComposeText(entry, target, texts));
                } else if (target.use == TextUse::Picture) {
                    // Only an existing picture replaces the one shown.
                    const QString name = ComposeText(entry, target, texts);
                    const QString path =
                        surface.locate ? surface.locate(name) : surface.programFolder + name;
                    auto* label = qobject_cast<QLabel*>(object);
                    if (label && IsRegularFile(path)) {
                        const QPixmap picture(path);
                        if (!picture.isNull()) label->setPixmap(picture);
                    }
                } else {
                    SetCaption(object, ComposeText(entry, target, texts));
                }
                break;
            }
            }
        }
    }
    return missing;
}

QString WithoutAccelerator(const QString& caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        out += caption[i];
    }
    return out;
}
