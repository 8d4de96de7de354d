#pragma once
// The About window (TForm2): the program's version, the vendor's fields from the language
// file, the e-mail and web links, and the credits behind Shift+Ctrl+click.

#include <QDialog>
#include <functional>

class LanguageTexts;
class QLabel;
class QMouseEvent;
class QTimer;

// The caption of the main window: the program name and " V" with the first four
// characters of the version text ("NorvaSet   V1.02").
QString ProgramCaption(const QString& programName, const QString& versionText);

// The address the e-mail link opens: "mailto:" + [Info] 10 + "?SUBJECT=" + [Info] 11, as
// they stand (mail programs take the subject as written).
QString MailAddress(const LanguageTexts& texts);

class TForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCreditsMs = 3000;

    struct Host {
        const LanguageTexts* texts = nullptr;
        // False when nothing on this computer could open the address.
        std::function<bool(const QString& address)> openAddress;
        std::function<QString()> versionText; // empty function: the program's own
        // Shows a message over the About window (a link that could not be opened).
        std::function<void(const QString& text)> report;
    };

    explicit TForm2(Host host, QWidget* parent = nullptr);

    // Fills the version box: "(V  " + text + ")" and the first four characters in bold.
    void ShowVersion(const QString& versionText);
    // The links. One that nothing can open is reported with the address written out, so
    // that it can be copied by hand.
    void Label9Click(); // e-mail
    void Label8Click(); // web
    // A left-button release over the window or one of its fields: with Shift and Ctrl
    // held, the credits show for three seconds in place of the links.
    void FormMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Timer1Timer();

    QLabel* Label(const QString& name) const;
    QWidget* CreditsPanel() const { return panel2_; }
    QTimer* Timer1() const { return timer1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Host host_;
    QWidget* panel1_ = nullptr;
    QWidget* panel2_ = nullptr;
    QTimer* timer1_ = nullptr;
};
