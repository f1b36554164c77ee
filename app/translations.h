#pragma once

#include "startupoptions.h"

#include <QTranslator>

class QCoreApplication;

// Loads and installs the German catalogues from <baseDir>/translations when they are
// wanted. The translators are owned by the caller and must outlive their use.
void installTranslations(QCoreApplication &app, LanguageChoice choice, const QString &baseDir,
                         QTranslator &qtTranslator, QTranslator &myTranslator);
