#pragma once
// One panel of the status line. A text wider than the panel is shortened with "…" at its
// end and shown whole in the panel's tooltip, so that nothing the line says is lost when
// the window is narrow. A panel that explains more than its text (why a cable will not
// open, the settings file's folder) keeps that in its tooltip instead.

#include <QFrame>
#include <QString>

class StatusPanel : public QFrame {
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    // The whole text, as given.
    QString Text() const { return text_; }
    void SetText(const QString& text);
    // The tooltip; "" shows the whole text there whenever the panel shortens it.
    void SetHint(const QString& hint);
    // The text as the panel shows it at its present width.
    QString ShownText() const;
    bool Shortened() const { return ShownText() != text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int kMargin = 2; // between the frame and the text

    int TextWidth() const;
    void UpdateToolTip();

    QString text_;
    QString hint_;
};
