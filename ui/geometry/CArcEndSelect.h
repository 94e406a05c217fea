#pragma once

// The chooser that offers the two corrected end points of an arc whose end
// point is off its circle.

#include <QDialog>

#include <memory>

#include "ui_CArcEndSelect.h"

class CArcEndSelect : public QDialog
{
    Q_OBJECT
public:
    explicit CArcEndSelect(QWidget *parent = nullptr);

    void setMessage(const QString &text);
    QString message() const;
    // 0 the first candidate, 1 the second; valid when exec() accepted.
    int choice() const { return m_choice; }

private:
    void choose(int choice);

    Ui::CArcEndSelect m_ui;
    int m_choice = 0;
};
