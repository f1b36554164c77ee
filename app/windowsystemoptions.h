#pragma once

#include <QStringList>

// True when an argument (the program name first, as in argv) is one of the options
// that Qt's GUI application classes take out of the command line themselves
// (-platform, -style, -geometry, -reverse and the like, with one or two dashes).
//
// Both programs read their command line before deciding whether a window system is
// needed at all: help and command-line errors must work without a display. When the
// command line names such an option it is left to Qt as before, since only the GUI
// application object knows how to take it out.
bool namesWindowSystemOption(const QStringList &arguments);
