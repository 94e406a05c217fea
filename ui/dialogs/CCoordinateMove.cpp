#include "dialogs/CCoordinateMove.h"

#include "guide/Prompter.h"
#include "res/UiText.h"

#include <QRegularExpression>

#include <limits>

CCoordinateMove::CCoordinateMove(QWidget *parent)
    : QDialog(parent)
{
    m_ui.setupUi(this);
    for (QLineEdit *edit : {m_ui.xEdit, m_ui.yEdit}) {
        edit->setMaxLength(kMaxChars);
        edit->setText(QString::number(0));
    }
    connect(m_ui.okButton, &QPushButton::clicked, this, &CCoordinateMove::accept);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &CCoordinateMove::reject);
}

bool CCoordinateMove::transfer(QLineEdit *edit, const QLabel *label, std::int32_t &value)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^\\s*[-+]?[0-9]+\\s*$"));
    const QString text = edit->text();
    bool ok = wholeNumber.match(text).hasMatch();
    qlonglong number = 0;
    if (ok)
        number = text.trimmed().toLongLong(&ok);
    // Eight characters always fit; the bound guards a text set from outside.
    if (!ok || number < std::numeric_limits<std::int32_t>::min()
        || number > std::numeric_limits<std::int32_t>::max()) {
        pos::ui::ShowOk(this, pos::ui::ConversionMessage(true, label->text()));
        edit->setFocus();
        edit->selectAll();
        return false;
    }
    value = static_cast<std::int32_t>(number);
    return true;
}

void CCoordinateMove::accept()
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    if (!transfer(m_ui.xEdit, m_ui.xLabel, x) || !transfer(m_ui.yEdit, m_ui.yLabel, y))
        return;
    m_x = x;
    m_y = y;
    QDialog::accept();
}
