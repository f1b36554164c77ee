#include "translationcoverage.h"

#include <QFile>
#include <QProcess>
#include <QTranslator>
#include <QXmlStreamReader>

TranslationCoverage TranslationCoverage::check(const QStringList &sources, const QTranslator &catalogue,
                                               const QString &scratchFolder)
{
    TranslationCoverage result;
    const QString listed = scratchFolder + "/listed.ts";
    QProcess lupdate;
    lupdate.start(LUPDATE_EXECUTABLE, QStringList{"-silent"} + sources + QStringList{"-ts", listed});
    if (!lupdate.waitForFinished(120000) || lupdate.exitCode() != 0) {
        result.error = "lupdate failed: " + QString::fromLocal8Bit(lupdate.readAllStandardError());
        return result;
    }
    QFile file(listed);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = "lupdate wrote no " + listed;
        return result;
    }
    QXmlStreamReader xml(&file);
    QByteArray context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText().toUtf8();
            continue;
        }
        if (xml.name() != QLatin1String("message"))
            continue;
        // A message: its source, disambiguation and plural flag.
        const bool numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        QByteArray source, comment;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("source"))
                source = xml.readElementText().toUtf8();
            else if (xml.name() == QLatin1String("comment"))
                comment = xml.readElementText().toUtf8();
            else
                xml.skipCurrentElement();
        }
        ++result.texts;
        if (catalogue.translate(context, source, comment.isEmpty() ? nullptr : comment.constData(), numerus ? 1 : -1).isEmpty())
            result.missing << QString::fromUtf8(context + ": " + source);
    }
    if (xml.hasError())
        result.error = "unreadable " + listed + ": " + xml.errorString();
    return result;
}
