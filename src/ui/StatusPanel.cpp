#include "StatusPanel.h"

#include <QPainter>
#include <QStyle>

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void StatusPanel::SetText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    UpdateToolTip();
    updateGeometry();
    update();
}

void StatusPanel::SetHint(const QString& hint) {
    hint_ = hint;
    UpdateToolTip();
}

int StatusPanel::TextWidth() const {
    return qMax(0, contentsRect().width() - 2 * kMargin);
}

QString StatusPanel::ShownText() const {
    return fontMetrics().elidedText(text_, Qt::ElideRight, TextWidth());
}

QSize StatusPanel::sizeHint() const {
    const QMargins frame = contentsMargins();
    return {fontMetrics().horizontalAdvance(text_) + 2 * kMargin + frame.left() + frame.right() + 1,
            fontMetrics().height() + frame.top() + frame.bottom() + 2};
}

QSize StatusPanel::minimumSizeHint() const {
    const QMargins frame = contentsMargins();
    // Room for a letter and the "…".
    return {fontMetrics().horizontalAdvance(QStringLiteral("W…")) + 2 * kMargin + frame.left() +
                frame.right(),
            sizeHint().height()};
}

void StatusPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect().adjusted(kMargin, 0, -kMargin, 0);
    painter.drawText(area,
                     int(QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft)) |
                         Qt::AlignVCenter | Qt::TextSingleLine,
                     ShownText());
}

void StatusPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    UpdateToolTip();
}

void StatusPanel::UpdateToolTip() {
    setToolTip(!hint_.isEmpty() ? hint_ : Shortened() ? text_ : QString());
}
