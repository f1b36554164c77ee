// Draws the image resources of both programs into the folder given on the command line.
#include "icons.h"
#include "pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

constexpr int kIconSize = 64;

struct ImageSpec {
    const char *name;
    int width;
    int height;
    void (*draw)(QPainter &);
};

// Icons are drawn on the 64-unit grid at 64 x 64; the pictures know their own canvas.
const ImageSpec kImages[] = {
    {"application-exit.png", kIconSize, kIconSize, drawPower},
    {"system-shutdown-6.png", kIconSize, kIconSize, drawPower},
    {"arrow-right-3.png", kIconSize, kIconSize, drawPlay},
    {"pause.png", kIconSize, kIconSize, drawPause},
    {"record_on.png", kIconSize, kIconSize, drawRecord},
    {"process-stop.png", kIconSize, kIconSize, drawProcessStop},
    {"new.png", kIconSize, kIconSize, drawNewFile},
    {"open.png", kIconSize, kIconSize, drawOpenFile},
    {"save.png", kIconSize, kIconSize, drawSave},
    {"document-save-2.png", kIconSize, kIconSize, drawSaveLog},
    {"hardware.png", kIconSize, kIconSize, drawHardware},
    {"configure-2.png", kIconSize, kIconSize, drawWifiConfig},
    {"hw_ok.png", kIconSize, kIconSize, drawStatusOk},
    {"hw_problem.png", kIconSize, kIconSize, drawStatusProblem},
    {"help.png", kIconSize, kIconSize, drawHelp},
    {"question.png", kIconSize, kIconSize, drawQuestion},
    {"led_green.png", kIconSize, kIconSize, drawLedGreen},
    {"led_red.png", kIconSize, kIconSize, drawLedRed},
    {"connect.png", kIconSize, kIconSize, drawConnect},
    {"disconnect.png", kIconSize, kIconSize, drawDisconnect},
    {"clear.png", kIconSize, kIconSize, drawClear},
    {"settings.png", kIconSize, kIconSize, drawSettings},
    {"tools.png", kIconSize, kIconSize, drawTools},
    {"graph-options.png", kIconSize, kIconSize, drawGraphOptions},
    {"marker.png", kIconSize, kIconSize, drawMarker},
    {"logoblue.png", 256, 128, drawLogoLarge},
    {"logoblue32.png", 128, 32, drawLogoToolbar},
    {"mainframe.png", 256, 256, drawAppIcon},
    {"device-kestrova.png", 256, 256, drawDeviceKestrova},
    {"device-vortiq.jpg", 256, 256, drawDeviceVortiq},
    {"edit-find-7.png", 256, 256, drawSearching},
};

bool render(const QString &dir, const ImageSpec &spec)
{
    const QString name = QString::fromLatin1(spec.name);
    // JPEG has no alpha channel: such pictures paint their own background.
    const bool opaque = name.endsWith(QLatin1String(".jpg"));
    QImage img(spec.width, spec.height, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    img.fill(opaque ? Qt::white : Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    spec.draw(p);
    p.end();
    return img.save(dir + QLatin1Char('/') + name, nullptr, opaque ? 92 : -1);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: icongen <output folder>\n");
        return 1;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    for (const ImageSpec &spec : kImages) {
        if (!render(dir, spec)) {
            std::fprintf(stderr, "icongen: cannot write %s\n", spec.name);
            return 1;
        }
    }
    return 0;
}
