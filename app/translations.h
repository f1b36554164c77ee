#pragma once

#include "startupoptions.h"

#include <QTranslator>

class QCoreApplication;

// Loads and installs the German catalogues when they are wanted. The translators are
// owned by the caller and must outlive the application's use of them.
void installTranslations(QCoreApplication &app, LanguageChoice choice,
                         QTranslator &qtTranslator, QTranslator &myTranslator);
