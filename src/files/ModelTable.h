#pragma once
// The door-phone models of the language file in use: up to 31 entries, each with a name,
// a picture and a template file in the program folder.

#include "LanguageTexts.h"

#include <functional>

#include <QString>
#include <QStringList>
#include <array>

struct ModelEntry {
    QString name;         // "" for an unused entry
    QString picture;      // full path
    QString templatePath; // full path
};

class ModelTable {
public:
    static constexpr int kEntries = LanguageTexts::kModelSlots;

    // Fills the table from the language file's [Model], [Picture] and [Template] sections.
    // Without a name for entry 0 the first model is "Vant Norva low cost".
    void Build(const LanguageTexts& texts, const QString& programFolder);
    // The same, with each picture and template file looked up by `locate` (name to path).
    void Build(const LanguageTexts& texts, const std::function<QString(const QString&)>& locate);

    const ModelEntry& Entry(int number) const { return entries_.at(number); }
    // The names the model selector lists: the non-empty names in model-number order.
    QStringList SelectorItems() const;
    // The model number behind a selector position. A list with gaps in its numbers maps
    // each position to the model it shows; -1 for no model (position out of range).
    int ModelNumberAt(int position) const;
    // The entry behind a selector position, or nullptr for no model.
    const ModelEntry* AtPosition(int position) const;

private:
    std::array<ModelEntry, kEntries> entries_;
};
