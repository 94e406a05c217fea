#include "geometry/CArcEndSelect.h"

CArcEndSelect::CArcEndSelect(QWidget *parent)
    : QDialog(parent)
{
    m_ui.setupUi(this);
    setWindowTitle(QStringLiteral("Loomcraft"));
    connect(m_ui.firstButton, &QPushButton::clicked, this, [this] { choose(0); });
    connect(m_ui.secondButton, &QPushButton::clicked, this, [this] { choose(1); });
    connect(m_ui.inputAgainButton, &QPushButton::clicked, this, &QDialog::reject);
    m_ui.inputAgainButton->setDefault(true);
    m_ui.inputAgainButton->setFocus();
}

void CArcEndSelect::setMessage(const QString &text)
{
    m_ui.messageLabel->setText(text);
}

QString CArcEndSelect::message() const
{
    return m_ui.messageLabel->text();
}

void CArcEndSelect::choose(int choice)
{
    m_choice = choice;
    accept();
}
