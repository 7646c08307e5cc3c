// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's pictures: two backgrounds for the main window's child-window area and two
// start pictures for the splash window, each in English and Chinese. Usage: mkpictures PROGRAM_DIR
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>

namespace {

struct Texts {
    QString title;
    QString subtitle;
    QString band;
};

const Texts kEnglish{"ZT-450E", "Programming Software", "10-metre AM/FM  ·  25.615 - 30.105 MHz"};
const Texts kChinese{"ZT-450E", QString::fromUtf8("写频软件"),
                     QString::fromUtf8("10 米波段 AM/FM  ·  25.615 - 30.105 MHz")};

// A stylised radio wave: a sine trace fading out to the right.
void DrawWave(QPainter& p, const QRectF& r, const QColor& c, double cycles, double amplitude) {
    QPainterPath path;
    const int steps = 400;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double x = r.left() + t * r.width();
        const double y = r.center().y() - amplitude * (1.0 - 0.6 * t) * std::sin(t * cycles * 2 * M_PI);
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
}

QFont Font(int pixelSize, bool bold) {
    QFont f("WenQuanYi Micro Hei");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QImage Background(const Texts& t) {
    QImage img(1280, 960, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, img.height());
    g.setColorAt(0, QColor(214, 226, 238));
    g.setColorAt(1, QColor(160, 182, 206));
    p.fillRect(img.rect(), g);
    DrawWave(p, QRectF(0, 560, 1280, 200), QColor(255, 255, 255, 90), 5.5, 80);
    DrawWave(p, QRectF(0, 600, 1280, 200), QColor(255, 255, 255, 60), 3.5, 60);
    p.setPen(QColor(255, 255, 255, 150));
    p.setFont(Font(120, true));
    p.drawText(QRectF(0, 260, 1280, 160), Qt::AlignCenter, t.title);
    p.setFont(Font(44, false));
    p.drawText(QRectF(0, 420, 1280, 70), Qt::AlignCenter, t.subtitle);
    return img;
}

QImage StartPicture(const Texts& t) {
    QImage img(520, 320, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, img.width(), img.height());
    g.setColorAt(0, QColor(18, 52, 96));
    g.setColorAt(1, QColor(8, 22, 44));
    p.fillRect(img.rect(), g);
    DrawWave(p, QRectF(0, 200, 520, 80), QColor(90, 170, 255, 160), 4.0, 30);
    p.setPen(QColor(255, 255, 255));
    p.setFont(Font(64, true));
    p.drawText(QRectF(0, 50, 520, 90), Qt::AlignCenter, t.title);
    p.setFont(Font(28, false));
    p.drawText(QRectF(0, 135, 520, 44), Qt::AlignCenter, t.subtitle);
    p.setPen(QColor(190, 215, 245));
    p.setFont(Font(17, false));
    p.drawText(QRectF(0, 268, 520, 30), Qt::AlignCenter, t.band);
    return img;
}

bool Save(const QImage& img, const QString& path) {
    if (img.save(path, "JPG", 92))
        return true;
    std::fprintf(stderr, "mkpictures: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkpictures PROGRAM_DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath("PIC"))
        return 1;
    bool ok = Save(Background(kEnglish), dir.filePath("PIC/BK_1.jpg"));
    ok = Save(Background(kChinese), dir.filePath("PIC/BK_2.jpg")) && ok;
    ok = Save(StartPicture(kEnglish), dir.filePath("StartE.jpg")) && ok;
    ok = Save(StartPicture(kChinese), dir.filePath("StartC.jpg")) && ok;
    return ok ? 0 : 1;
}
