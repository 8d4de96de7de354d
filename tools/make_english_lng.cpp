// Writes English.lng from the language table and the shipped model list:
//   make_english_lng assets/English.lng      (or: ninja -C build english_lng)
// Run it after changing a built-in text or the model list; a core test holds the shipped
// file to the table.
#include "FileAccess.h"
#include "LanguageTable.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_english_lng OUT.lng\n", stderr);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QString error;
    if (!WriteWholeFile(path, EnglishLanguageFileText().toUtf8(), &error)) {
        std::fprintf(stderr, "make_english_lng: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
