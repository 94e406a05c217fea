#include "wizard/CItemSet.h"

#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/Checks.h"

#include <QRegularExpressionValidator>

#include <algorithm>

using pos::ui::Str;

namespace {

// A record from the host may hold a value no list item stands for: the
// first item is selected then, so that leaving the page stores a valid one.
void Select(QComboBox *combo, std::uint64_t index)
{
    combo->setCurrentIndex(
        index < static_cast<std::uint64_t>(combo->count()) ? static_cast<int>(index) : 0);
}

} // namespace

CItemSet::CItemSet(QWidget *parent)
    : CBasePage(kTemplateId, parent)
{
    m_ui.setupUi(this);
    // Digits only; four of them give 0 to 9999.
    m_ui.startDEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(m_ui.pulseCombo, &QComboBox::currentIndexChanged, this,
            &CItemSet::OnSelchangePulseMode);
}

void CItemSet::OnInitDialog()
{
    const pos::PosConfig defaults;
    const pos::PosConfig &c = m_pConfig ? *m_pConfig : defaults;
    m_nStartAddress = m_bModify ? c.startD : 2000;

    m_ui.actionCombo->clear();
    m_ui.actionCombo->addItems({Str(pos::sid::Incremental), Str(pos::sid::Absolute)});
    Select(m_ui.actionCombo, m_bModify ? c.actionMode : 0);
    m_ui.pulseCombo->clear();
    m_ui.pulseCombo->addItems({Str(pos::sid::PlsSign), Str(pos::sid::IndependentPulse)});
    Select(m_ui.pulseCombo, m_bModify ? c.pulseMode : 0);
    OnSelchangePulseMode();
    // The port labels change with the pulse output mode: room for the
    // longest of either set keeps the port lists where they are.
    int widest = 0;
    for (const int first : {pos::sid::PortLabelsSign, pos::sid::PortLabelsPulses})
        for (int id = first; id < first + 4; ++id)
            widest = std::max(widest, m_ui.xPulseLabel->fontMetrics().size(0, Str(id)).width());
    for (QLabel *label : {m_ui.xPulseLabel, m_ui.xDirLabel, m_ui.yPulseLabel, m_ui.yDirLabel})
        label->setMinimumWidth(widest);

    // Ports are selected from the record in both modes: Y0, Y4..Y7 for the X pulse.
    Select(m_ui.xPulseCombo, c.xPulsePort >= 4 ? c.xPulsePort - 3u : 0u);
    Select(m_ui.xDirCombo, c.xDirPort);
    Select(m_ui.yPulseCombo, c.yPulsePort);
    Select(m_ui.yDirCombo, c.yDirPort);

    m_nInputMode = 0; // always opens with "Step by step"
    m_ui.startDEdit->setText(QString::number(m_nStartAddress));
    m_ui.stepRadio->setChecked(true);
}

void CItemSet::ShowActionMode(int mode)
{
    if (mode == 0 || mode == 1)
        m_ui.actionCombo->setCurrentIndex(mode);
}

void CItemSet::OnSelchangePulseMode()
{
    // Two independent pulse outputs name the ports by direction of travel.
    const bool twoPulses = m_ui.pulseCombo->currentIndex() == 1;
    const int first = twoPulses ? pos::sid::PortLabelsPulses : pos::sid::PortLabelsSign;
    m_ui.xPulseLabel->setText(Str(first));
    m_ui.xDirLabel->setText(Str(first + 1));
    m_ui.yPulseLabel->setText(Str(first + 2));
    m_ui.yDirLabel->setText(Str(first + 3));
}

bool CItemSet::CheckStartAddress()
{
    pos::PosConfig probe = *m_pConfig;
    probe.startD = m_nStartAddress;
    const pos::Status inRange = pos::CheckStartAddress(probe);
    if (inRange)
        return true;
    m_ui.startDEdit->setFocus();
    pos::ui::ShowOk(this, pos::ui::Say(inRange.error()));
    m_ui.startDEdit->setFocus();
    return false;
}

bool CItemSet::SavePage()
{
    if (!m_pConfig)
        return false;
    bool ok = false;
    const uint value = m_ui.startDEdit->text().toUInt(&ok);
    if (!ok) {
        m_ui.startDEdit->setFocus();
        pos::ui::ShowOk(this, pos::ui::ConversionMessage(false, m_ui.startLabel->text()));
        m_ui.startDEdit->setFocus();
        return false;
    }
    m_nStartAddress = value;
    m_nInputMode = m_ui.tableRadio->isChecked() ? 1 : 0;
    if (!CheckStartAddress())
        return false;

    pos::PosConfig &c = *m_pConfig;
    c.startD = m_nStartAddress;
    c.pulseMode = static_cast<std::uint16_t>(m_ui.pulseCombo->currentIndex());
    c.actionMode = static_cast<std::uint16_t>(m_ui.actionCombo->currentIndex());
    const int x = m_ui.xPulseCombo->currentIndex();
    c.xPulsePort = static_cast<std::uint32_t>(x == 0 ? 0 : x + 3);
    c.yPulsePort = static_cast<std::uint32_t>(m_ui.yPulseCombo->currentIndex());
    c.xDirPort = static_cast<std::uint32_t>(m_ui.xDirCombo->currentIndex());
    c.yDirPort = static_cast<std::uint32_t>(m_ui.yDirCombo->currentIndex());
    return true;
}
