#include "ModelTable.h"

#include <QDir>

void ModelTable::Build(const LanguageTexts& texts, const QString& programFolder) {
    const QDir folder(programFolder);
    Build(texts, [&folder](const QString& name) { return folder.filePath(name); });
}

void ModelTable::Build(const LanguageTexts& texts,
                       const std::function<QString(const QString&)>& locate) {
    for (int n = 0; n < kEntries; ++n) {
        const LanguageTexts::ModelListEntry e = texts.ModelEntry(n);
        entries_[n].name = e.name;
        entries_[n].picture = locate(e.picture);
        entries_[n].templatePath = locate(e.templateFile);
    }
    if (entries_[0].name.isEmpty()) {
        entries_[0].name = QStringLiteral("Vant Norva low cost");
        entries_[0].picture = locate(QStringLiteral("VantNorvaLC.jpg"));
    }
}

QStringList ModelTable::SelectorItems() const {
    QStringList items;
    for (const ModelEntry& e : entries_)
        if (!e.name.isEmpty()) items << e.name;
    return items;
}

int ModelTable::ModelNumberAt(int position) const {
    if (position < 0) return -1;
    int seen = 0;
    for (int n = 0; n < kEntries; ++n) {
        if (entries_[n].name.isEmpty()) continue;
        if (seen == position) return n;
        ++seen;
    }
    return -1;
}

const ModelEntry* ModelTable::AtPosition(int position) const {
    const int n = ModelNumberAt(position);
    return n < 0 ? nullptr : &entries_[n];
}
