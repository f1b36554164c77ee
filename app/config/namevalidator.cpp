#include "namevalidator.h"

#include "configlimits.h"

NameValidator::NameValidator(QObject *parent) : QValidator(parent)
{
}

QValidator::State NameValidator::validate(QString &input, int &) const
{
    const QString why = ConfigLimits::nameProblem(input);
    if (why.isEmpty())
        return Acceptable;
    m_lastRefusal = why;
    return Invalid;
}
