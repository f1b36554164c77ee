// Draws the image resources of both programs into the folder given on the command line.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cstdio>

static bool drawPlain(const QString &dir, const QString &name, const QColor &color)
{
    QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(color);
    p.setPen(QPen(color.darker(160), 3));
    p.drawRoundedRect(QRectF(6, 6, 52, 52), 10, 10);
    p.end();
    return img.save(dir + "/" + name);
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: icongen <output folder>\n");
        return 1;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const QStringList names = {
        "application-exit.png", "arrow-right-3.png", "clear.png", "configure-2.png", "connect.png",
        "device-kestrova.png", "device-vortiq.jpg", "disconnect.png", "document-save-2.png",
        "edit-find-7.png", "hardware.png", "help.png", "hw_ok.png", "hw_problem.png", "led_green.png",
        "led_red.png", "logoblue.png", "logoblue32.png", "mainframe.png", "new.png", "open.png", "pause.png",
        "process-stop.png", "question.png", "record_on.png", "save.png", "settings.png",
        "system-shutdown-6.png", "tools.png"};
    for (const QString &n : names) {
        if (!drawPlain(dir, n, QColor(40, 90, 170))) {
            std::fprintf(stderr, "icongen: cannot write %s\n", qPrintable(n));
            return 1;
        }
    }
    return 0;
}
