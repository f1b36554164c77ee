#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

// The texts a program's sources mark for translation that its catalogue leaves
// untranslated. The texts are listed by lupdate, the tool the catalogues are made with,
// so every way of marking a text counts.
struct TranslationCoverage
{
    int texts = 0;          // texts marked in the sources
    QStringList missing;    // "context: text" of every untranslated one
    QString error;          // why the sources could not be listed; empty on success

    // Lists the texts of `sources` (folders or files) into `scratchFolder` and looks each
    // up in `catalogue`.
    static TranslationCoverage check(const QStringList &sources, const QTranslator &catalogue,
                                     const QString &scratchFolder);
};
