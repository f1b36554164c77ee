#pragma once

#include <QValidator>

// Keeps a channel name a single word the configuration file can carry (see
// ConfigLimits::nameProblem): an edit that would break that is refused, and the
// reason is kept for the dialog to show.
class NameValidator : public QValidator
{
    Q_OBJECT

public:
    explicit NameValidator(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
    // Why the last refused edit was refused.
    QString lastRefusal() const { return m_lastRefusal; }

private:
    mutable QString m_lastRefusal;
};
