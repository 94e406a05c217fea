#include "dialogs/CSetSpeeds.h"

#include "res/UiText.h"
#include "wizard/Checks.h"

#include <QRegularExpression>

CSetSpeeds::CSetSpeeds(QWidget *parent)
    : QDialog(parent)
{
    m_ui.setupUi(this);
    connect(m_ui.okButton, &QPushButton::clicked, this, &CSetSpeeds::accept);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &CSetSpeeds::reject);
    setValues(m_values);
}

void CSetSpeeds::setValues(const pos::ui::SpeedsAndTime &values)
{
    m_values = values;
    m_ui.accDecTimeEdit->setText(QString::number(values.accDecTime));
    m_ui.initialSpeedEdit->setText(QString::number(values.initialSpeed));
    m_ui.maxSpeedEdit->setText(QString::number(values.maxSpeed));
}

bool CSetSpeeds::transfer(QLineEdit *edit, const QLabel *label, std::uint32_t &value)
{
    const pos::Result<std::int64_t> number
        = pos::ValidateNumberField(edit->text().toStdString(), pos::NumberField::Unsigned32);
    if (number) {
        value = static_cast<std::uint32_t>(*number);
        return true;
    }
    // The label without its mnemonic ("&Time", "时间(&T)") and colon.
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)|&"));
    QString name = label->text();
    name.remove(mnemonic);
    while (name.endsWith(QLatin1Char(':')) || name.endsWith(QChar(0xFF1A)))
        name.chop(1);
    pos::ui::ShowOk(this, pos::ui::FieldMessage(number.error(), name));
    edit->setFocus();
    edit->selectAll();
    return false;
}

void CSetSpeeds::accept()
{
    pos::ui::SpeedsAndTime v;
    if (!transfer(m_ui.accDecTimeEdit, m_ui.accDecTimeLabel, v.accDecTime)
        || !transfer(m_ui.initialSpeedEdit, m_ui.initialSpeedLabel, v.initialSpeed)
        || !transfer(m_ui.maxSpeedEdit, m_ui.maxSpeedLabel, v.maxSpeed))
        return;
    m_values = v;
    QDialog::accept();
}
