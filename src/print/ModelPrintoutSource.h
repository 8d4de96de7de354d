#pragma once
// The printout's source without a window: the captions the language texts put on the
// window, the values of the settings as the pages show them, the tree as the model
// template leaves it. It prints what the window would print with the same settings
// loaded and no door phone connected.

#include "Printout.h"

#include <QHash>

class LanguageTexts;
class SettingsModel;

namespace print {

class ModelPrintoutSource : public PrintoutSource {
public:
    // treeEntries: the node texts the model template set, by position; the other nodes
    // keep the language texts.
    ModelPrintoutSource(const SettingsModel& model, const LanguageTexts& texts,
                        const QHash<int, QString>& treeEntries = {});

    QString Caption(const QString& control) const override;
    QString FieldText(const QString& field) const override;
    bool IsChecked(const QString& control) const override;
    QString UnitText(const QString& field) const override;
    QString CodeCaption(const QString& codeField) const override;
    QString TimeSeparator(const QString& hourField) const override;
    QString NodeText(int position) const override;
    QString StatusPanelText(int panel) const override;
    bool DayMode() const override { return false; }

    // The page title and the job name, from the same texts.
    PrintoutHeader Header() const;

    // The units the pages show beside their fields, by field name.
    static QString Unit(const QString& field);

private:
    const SettingsModel& model_;
    const LanguageTexts& texts_;
    QHash<int, QString> treeEntries_;
};

} // namespace print
