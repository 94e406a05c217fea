#pragma once

// Asks for an X and a Y displacement; the Import DXF dialog adds them to the
// coordinates of one or all of its rows.

#include <QDialog>

class QLabel;

#include <cstdint>
#include <memory>

#include "ui_CCoordinateMove.h"

class QLineEdit;

class CCoordinateMove : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1024;
    static constexpr int kMaxChars = 8; // seven digits after a minus sign, or eight digits

    explicit CCoordinateMove(QWidget *parent = nullptr);

    // Both 0 until OK has taken the edits over.
    std::int32_t xDisplacement() const { return m_x; }
    std::int32_t yDisplacement() const { return m_y; }

    // OK: both edits must hold whole decimal numbers (an optional sign and
    // digits, blanks around allowed); otherwise the edit concerned gets the
    // focus and the dialog stays open.
    void accept() override;

private:
    bool transfer(QLineEdit *edit, const QLabel *label, std::int32_t &value);

    Ui::CCoordinateMove m_ui;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
};
