#pragma once

#include <QVector>
#include <QWidget>

#include "adcchannel.h"

class QCheckBox;
class QGridLayout;
class QLineEdit;

// Common part of the pages that list one channel kind: per device channel a check box
// and a name field, in device order. Enabled channels always form a prefix.
class channelTab : public QWidget
{
    Q_OBJECT

public:
    explicit channelTab(QWidget *parent = nullptr);

    int channelCount() const { return m_checkBoxes.size(); }
    QCheckBox *checkBox(int index) const { return m_checkBoxes.at(index); }
    QLineEdit *nameField(int index) const { return m_nameFields.at(index); }
    bool isChecked(int index) const;
    // The name field's text as UTF-8.
    QByteArray name(int index) const;
    // Why the name of an enabled channel cannot be stored, with the channel named;
    // empty when every enabled channel's name is fine. `kind` names the page.
    QString nameProblem(const QString &kind) const;

signals:
    // The field of channel `index` refused an edit, for the reason given.
    void nameRefused(int index, const QString &reason);
    // The user changed a check box or a name.
    void edited();

public slots:
    // Connected to pressed() of every check box: the boxes before the pressed one are
    // checked, the ones after it unchecked; the pressed box then toggles as usual.
    void checkboxclicked();

protected:
    // Adds the check box (column 0), the "ch k" label (column 1) and the name field in
    // `nameColumn` for channel k (1-based) to row k.
    void addChannelRow(QGridLayout *grid, int k, bool checked, const QString &name, int nameColumn);
    static void addHeader(QGridLayout *grid, int column, const QString &text);
    // ADC pages: the header row, one row per channel and a spacer below.
    void buildAdcGrid(int count, const QVector<adcChannel> &channels);

private:
    QVector<QCheckBox *> m_checkBoxes;
    QVector<QLineEdit *> m_nameFields;
};
