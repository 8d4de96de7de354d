// Language files, the Language menu and model changes in the running window.
#include "QtTranslations.h"
#include "window_harness.h"

#include <QDirIterator>
#include <QLabel>
#include <QMenu>
#include <QTreeWidgetItem>

namespace {
// The shipped files (language files, templates, pictures) into a program folder.
void CopyShippedFiles(const QString& home, const QStringList& skip = {}) {
    QDirIterator it(QStringLiteral(NORVA_SOURCE_DIR) + "/assets", QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QFileInfo(path).fileName();
        if (!skip.contains(name)) QFile::copy(path, QDir(home).filePath(name));
    }
}

QString ConfigText(const QString& home) {
    QFile f(QDir(home).filePath("Config.ini"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A window started in a program folder that prepare fills.
struct StartedWindow : WindowRig {
    explicit StartedWindow(const std::function<void(const QString&)>& prepare)
        : WindowRig(true, prepare) {}
    QStringList Messages() const { return MessageTexts(startup) + MessageTexts(dialogs.shown); }
    QStringList VisibleLanguageItems() const {
        QStringList out;
        for (QAction* a : window->Action("Language1")->menu()->actions())
            if (a->isVisible()) out << a->text();
        return out;
    }
};
} // namespace

TEST(WindowLanguage, NoLanguageFileAtAll) {
    StartedWindow w([](const QString& home) {
        CopyShippedFiles(home, {"English.lng", "Czech.lng"});
    });
    // Config.ini was created, then deleted again by the missing-file rule.
    EXPECT_FALSE(QFile::exists(QDir(w.home.path()).filePath("Config.ini")));
    ASSERT_FALSE(MessageTexts(w.startup).isEmpty());
    EXPECT_EQ(MessageTexts(w.startup).first(), QString("Language file error"));
    EXPECT_EQ(w.VisibleLanguageItems(), QStringList{"none"});
    EXPECT_EQ(w.window->Action("Readparameters1")->text(), QString("Read &parameters"));
    w.window->LanguageItemClick(0); // "none" does nothing
    EXPECT_TRUE(w.dialogs.shown.isEmpty());
}

TEST(WindowLanguage, ConfigNamingAMissingFileFallsBackToEnglish) {
    StartedWindow w([](const QString& home) {
        CopyShippedFiles(home);
        WriteTextFile(QDir(home).filePath("Config.ini"), "[Setup]\r\nLang=Gone.lng\r\n");
    });
    EXPECT_EQ(w.window->LanguagePath(), QDir(w.home.path()).filePath("English.lng"));
    EXPECT_FALSE(w.Messages().contains("Language file error"));
    EXPECT_EQ(w.window->Model().ChoiceItems("ComboBox16").size(), 5);
    // Closing writes Config.ini again, with the language in use.
    w.window->close();
    EXPECT_TRUE(ConfigText(w.home.path()).contains("Lang=English.lng"));
}

TEST(WindowLanguage, ChoosingAnotherLanguage) {
    StartedWindow w([](const QString& home) {
        CopyShippedFiles(home);
        WriteTextFile(QDir(home).filePath("Config.ini"),
                      "[Setup]\r\nLang=English.lng\r\nCommunicator=2\r\n");
    });
    SettingsModel& model = w.window->Model();
    EXPECT_EQ(model.Choice("ComboBox16"), 2);
    EXPECT_EQ(w.VisibleLanguageItems(), QStringList({"Czech", "English"}));
    // The language in use carries the menu's mark.
    const auto marked = [&w] {
        QStringList out;
        for (QAction* a : w.window->Action("Language1")->menu()->actions())
            if (a->isChecked()) out << a->text();
        return out;
    };
    EXPECT_EQ(marked(), QStringList{"English"});
    model.SetText("Edit1", "9876");
    w.window->Action("Language1")->menu()->aboutToShow(); // opening the menu
    w.window->LanguageItemClick(0);                       // Czech
    EXPECT_TRUE(w.window->LanguagePath().endsWith("Czech.lng"));
    EXPECT_EQ(marked(), QStringList{"Czech"});
    EXPECT_EQ(model.Choice("ComboBox16"), 0);
    EXPECT_EQ(model.Text("Edit1"), QString("9876"));
    EXPECT_NE(w.window->Action("Readparameters1")->text(), QString("Read &parameters"));
    // Qt's own buttons and dialogs speak Czech too, and English again after English.
    const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    EXPECT_NE(yes(), QString("&Yes"));
    w.window->LanguageItemClick(1); // English
    EXPECT_EQ(yes(), QString("&Yes"));
    w.window->LanguageItemClick(0);
    // The low-cost model's template is in force again: no relay 2.
    EXPECT_TRUE(w.window->Tree()->Entry(8)->text(0).isEmpty());
    w.window->close();
    EXPECT_TRUE(ConfigText(w.home.path()).contains("Lang=Czech.lng"));
    EXPECT_TRUE(ConfigText(w.home.path()).contains("Communicator=0"));
    ApplyQtTranslations(QString()); // the tests after this one run in English
}

TEST(WindowLanguage, TwentyFiveFilesGiveTwentyEntries) {
    StartedWindow w([](const QString& home) {
        CopyShippedFiles(home);
        for (int i = 0; i < 23; ++i)
            QFile::copy(QDir(home).filePath("English.lng"),
                        QDir(home).filePath(QString("Lang%1.LNG").arg(i, 2, 10, QChar('0'))));
    });
    EXPECT_EQ(w.VisibleLanguageItems().size(), 20);
}

TEST(WindowLanguage, PickingAModelKeepsFieldsAndNewLoadsItsDefaults) {
    StartedWindow w([](const QString& home) { CopyShippedFiles(home); });
    SettingsModel& model = w.window->Model();
    auto* selector = qobject_cast<QComboBox*>(w.window->Control("ComboBox16"));
    ASSERT_NE(selector, nullptr);
    model.SetText("Edit2", "*9");
    selector->setCurrentIndex(4); // Norva 99
    selector->activated(4);
    EXPECT_EQ(model.Text("Edit2"), QString("*9"));
    EXPECT_FALSE(w.window->Tree()->Entry(25)->text(0).isEmpty()); // 99 buttons
    EXPECT_FALSE(w.window->Tree()->Entry(8)->text(0).isEmpty());  // relay 2
    w.window->Action("New1")->trigger();
    EXPECT_EQ(model.Text("Edit2"), QString("*1"));
    EXPECT_TRUE(model.IsRadioButtonSelected("RadioButton11")); // that model's keypad place
}

TEST(WindowLanguage, MissingTemplates) {
    // No template at start: the message at the end of the language file and after the
    // defaults.
    StartedWindow start([](const QString& home) { CopyShippedFiles(home, {"norva_lowcost.ini"}); });
    EXPECT_EQ(start.Messages().count("No file with template"), 2);

    // Deleting the selected model's template and picking it again.
    StartedWindow w([](const QString& home) { CopyShippedFiles(home); });
    ASSERT_TRUE(w.window->Control("GroupBox14")->isHidden());
    QFile::remove(QDir(w.home.path()).filePath("norva_lowcost.ini"));
    w.dialogs.shown.clear();
    auto* selector = qobject_cast<QComboBox*>(w.window->Control("ComboBox16"));
    selector->activated(0);
    EXPECT_EQ(w.Messages(), QStringList{"No file with template"});
    EXPECT_FALSE(w.window->Control("GroupBox14")->isHidden());
    EXPECT_TRUE(w.window->Control("RadioButton10")->isEnabled());
}

TEST(WindowLanguage, BrokenPicturesFallBackOrReport) {
    // A corrupt model picture shows blank.jpg; a broken blank.jpg is reported, and the
    // program goes on.
    StartedWindow w([](const QString& home) {
        CopyShippedFiles(home);
        WriteTextFile(QDir(home).filePath("norva_lowcost.jpg"), QByteArray(300, '\xFF'));
    });
    auto* picture = qobject_cast<QLabel*>(w.window->Control("Image3"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());

    StartedWindow broken([](const QString& home) {
        CopyShippedFiles(home, {"norva_lowcost.jpg"});
        WriteTextFile(QDir(home).filePath("blank.jpg"), "not a picture");
    });
    EXPECT_FALSE(broken.Messages().isEmpty());
    EXPECT_TRUE(broken.window->isVisible());
}
