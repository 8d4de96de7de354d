// Draws the shipped model pictures into assets/ (run by hand when a picture changes):
//   g++ -std=c++20 -fPIC tools/draw_model_pictures.cpp -o /tmp/draw $(pkg-config --cflags --libs
//   Qt6Gui) QT_QPA_PLATFORM=offscreen /tmp/draw
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

struct Picture {
    const char* file;
    const char* title;
    int buttons;
    bool keypad;
    bool vant;
    bool camera;
};

static void Draw(const Picture& s) {
    const int W = 200, H = 280;
    QImage img(W, H, QImage::Format_RGB32);
    img.fill(QColor(244, 246, 248));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // panel body
    QRectF body(40, 14, 120, 232);
    QLinearGradient g(body.topLeft(), body.topRight());
    QColor metal = s.vant ? QColor(70, 74, 82) : QColor(196, 200, 206);
    g.setColorAt(0, metal.lighter(115));
    g.setColorAt(0.5, metal);
    g.setColorAt(1, metal.darker(115));
    p.setPen(QPen(QColor(60, 60, 66), 2));
    p.setBrush(g);
    p.drawRoundedRect(body, 10, 10);
    // camera or logo
    double y = 30;
    if (s.camera) {
        p.setBrush(QColor(25, 25, 30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(100, y + 10), 11, 11);
        p.setBrush(QColor(60, 90, 140));
        p.drawEllipse(QPointF(100, y + 10), 5, 5);
        y += 28;
    }
    // speaker grille
    p.setPen(Qt::NoPen);
    p.setBrush(s.vant ? QColor(30, 30, 34) : QColor(90, 94, 100));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) p.drawEllipse(QPointF(72 + c * 11.2, y + 6 + r * 9), 2.6, 2.6);
    y += 44;
    // buttons
    QColor btn = s.vant ? QColor(210, 214, 220) : QColor(245, 245, 240);
    int shown = s.buttons > 6 ? 6 : s.buttons;
    int cols = s.buttons > 2 ? 2 : 1;
    int rows = (shown + cols - 1) / cols;
    double bw = cols == 1 ? 84 : 44, bh = s.keypad ? 14 : 18;
    for (int i = 0; i < shown; ++i) {
        int r = i / cols, c = i % cols;
        QRectF b(cols == 1 ? 58 : 52 + c * 52, y + r * (bh + 6), bw, bh);
        p.setPen(QPen(QColor(80, 80, 86), 1));
        p.setBrush(btn);
        p.drawRoundedRect(b, 3, 3);
        p.setPen(QColor(150, 160, 170));
        p.drawLine(QPointF(b.left() + 6, b.center().y()), QPointF(b.right() - 14, b.center().y()));
        p.setBrush(QColor(120, 190, 120));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(b.right() - 7, b.center().y()), 2.5, 2.5);
    }
    y += rows * (bh + 6);
    if (s.buttons > 6) {
        p.setPen(QColor(s.vant ? 230 : 40, s.vant ? 230 : 40, s.vant ? 230 : 40));
        QFont f("DejaVu Sans", 7);
        p.setFont(f);
        p.drawText(QRectF(40, y - 2, 120, 12), Qt::AlignCenter,
                   QString("+ %1 buttons").arg(s.buttons - 6));
        y += 12;
    }
    if (s.keypad) {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c) {
                QRectF k(70 + c * 21, y + 4 + r * 17, 17, 13);
                p.setPen(QPen(QColor(80, 80, 86), 1));
                p.setBrush(btn);
                p.drawRoundedRect(k, 2, 2);
                const char* keys = "123456789*0#";
                p.setPen(QColor(40, 40, 40));
                QFont f("DejaVu Sans", 6);
                p.setFont(f);
                p.drawText(k, Qt::AlignCenter, QString(QChar(keys[r * 3 + c])));
            }
    }
    // caption
    p.setPen(QColor(30, 40, 60));
    QFont f("DejaVu Sans", 9, QFont::Bold);
    p.setFont(f);
    p.drawText(QRectF(0, H - 30, W, 24), Qt::AlignCenter, s.title);
    p.end();
    img.save(QString("/work/main/assets/") + s.file, "JPG", 90);
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    Picture pictures[] = {
        {"norva_lowcost.jpg", "Vant Norva low cost", 1, false, true, false},
        {"norva_2k.jpg", "Norva 2 Keypad", 2, true, false, true},
        {"vant_norva4.jpg", "Vant Norva 4", 4, false, true, true},
        {"norva_10.jpg", "Norva 10", 10, false, false, false},
        {"norva_99.jpg", "Norva 99", 99, true, false, true},
        {"VantNorvaLC.jpg", "Vant Norva low cost", 1, false, true, false},
    };
    for (auto& s : pictures) Draw(s);
    QImage blank(200, 280, QImage::Format_RGB32);
    blank.fill(QColor(244, 246, 248));
    QPainter p(&blank);
    p.setPen(QPen(QColor(200, 204, 210), 2, Qt::DashLine));
    p.drawRoundedRect(QRectF(40, 14, 120, 232), 10, 10);
    p.end();
    blank.save("/work/main/assets/blank.jpg", "JPG", 90);
}
