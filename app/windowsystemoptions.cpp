#include "windowsystemoptions.h"

bool namesWindowSystemOption(const QStringList &arguments)
{
    static const QStringList options = {
        // QGuiApplication and its platform plugins (xcb's own options included)
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
        "qwindowtitle", "title", "qwindowicon", "icon", "reverse", "session", "testability",
        "qmljsdebugger", "display", "name", "visual", "ncols", "cmap", "im", "inputstyle", "sync",
        "nograb", "dograb",
        // QApplication
        "style", "stylesheet", "widgetcount",
    };
    for (int i = 1; i < arguments.size(); ++i) {
        QString arg = arguments.at(i);
        if (!arg.startsWith(QLatin1Char('-')))
            continue;
        arg.remove(0, arg.startsWith(QLatin1String("--")) ? 2 : 1);
        if (options.contains(arg.section(QLatin1Char('='), 0, 0)))
            return true;
    }
    return false;
}
