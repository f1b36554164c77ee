#pragma once

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QLineEdit;

// The page of the AUX input. It opens showing the configuration's AUX device: checked
// when it is active, and then keeping its length; the name is not stored.
class auxTab : public QWidget
{
    Q_OBJECT

public:
    // `activeWords`: the configuration's AUX length when its AUX device is active, else 0.
    explicit auxTab(int32_t activeWords, QWidget *parent = nullptr);

    QCheckBox *activateBox() const { return m_activate; }
    bool isActivated() const;
    // AUX words per frame: 0 when not activated.
    int32_t words() const;
    // AUX words per frame when activated here.
    static int32_t activeLength() { return 2; }

private:
    QCheckBox *m_activate = nullptr;
    QLineEdit *m_name = nullptr;
    int32_t m_activeWords = activeLength();
};
