// devsim: the measurement device, simulated on a pseudo-terminal and/or loopback UDP.
#include "devsimoptions.h"
#include "simulator.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("devsim");
    DevsimOptions options;
    int exitCode = 0;
    if (!parseDevsimOptions(app.arguments(), options, exitCode))
        return exitCode;
    Simulator simulator(options);
    if (!simulator.start())
        return 1;
    return app.exec();
}
