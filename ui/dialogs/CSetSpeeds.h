#pragma once

// Asks for the acceleration/deceleration time and the two speeds that the
// table page gives to many rows at once (a drawing arrives with them all 0).

#include "guide/Prompter.h"

#include "ui_CSetSpeeds.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;

class CSetSpeeds : public QDialog
{
    Q_OBJECT
public:
    explicit CSetSpeeds(QWidget *parent = nullptr);

    void setValues(const pos::ui::SpeedsAndTime &values);
    // What OK took over (the values given before that until then).
    pos::ui::SpeedsAndTime values() const { return m_values; }

    // OK: each edit must pass the number rule of the speed and time fields
    // (no sign, a whole number that fits 32 bits unsigned); the first that
    // does not is named in the message and gets the focus.
    void accept() override;

private:
    bool transfer(QLineEdit *edit, const QLabel *label, std::uint32_t &value);

    Ui::CSetSpeeds m_ui;
    pos::ui::SpeedsAndTime m_values;
};
