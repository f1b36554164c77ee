#pragma once

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QLineEdit;

// The page of the AUX input. It always opens deactivated; the name is not stored.
class auxTab : public QWidget
{
    Q_OBJECT

public:
    explicit auxTab(QWidget *parent = nullptr);

    QCheckBox *activateBox() const { return m_activate; }
    bool isActivated() const;
    // AUX words per frame when activated.
    static int32_t activeLength() { return 2; }

private:
    QCheckBox *m_activate = nullptr;
    QLineEdit *m_name = nullptr;
};
