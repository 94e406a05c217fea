#include "wizard/CSetStep.h"

#include "geometry/ArcCheck.h"
#include "guide/Prompter.h"
#include "res/UiText.h"
#include "wizard/Checks.h"
#include "wizard/SegmentGrid.h"

#include <QRegularExpressionValidator>

#include <algorithm>
#include <span>
#include <utility>

using pos::ui::Str;

namespace {

constexpr int kMaxSections = static_cast<int>(pos::kMaxSegments);

// What the platform's integer fields accept: optional blanks around an
// optionally signed run of digits (unsigned fields take no sign).
bool ConvertField(const QString &text, bool allowNegative, std::int64_t &value)
{
    const QString t = text.trimmed();
    static const QRegularExpression signedNumber(QStringLiteral("^[-+]?[0-9]+$"));
    static const QRegularExpression unsignedNumber(QStringLiteral("^[0-9]+$"));
    if (!(allowNegative ? signedNumber : unsignedNumber).match(t).hasMatch())
        return false;
    bool ok = false;
    value = t.toLongLong(&ok);
    if (!ok) // beyond 64 bits: the number rule refuses it as too large
        value = 0;
    return true;
}

} // namespace

CSetStep::CSetStep(QWidget *parent)
    : CBasePage(kTemplateId, parent)
{
    m_ui.setupUi(this);
    connect(m_ui.typeCombo, &QComboBox::currentIndexChanged, this, &CSetStep::OnSelchangeType);
    connect(m_ui.deleteButton, &QPushButton::clicked, this, &CSetStep::OnDelete);
    connect(m_ui.displayButton, &QPushButton::clicked, this, &CSetStep::OnDisplay);
    // Speeds and the time take digits only.
    auto *digits
        = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (QLineEdit *e : {m_ui.initialSpeedEdit, m_ui.maxSpeedEdit, m_ui.accDecTimeEdit})
        e->setValidator(digits);
    // The segment being typed is drawn as it changes.
    for (QLineEdit *e : {m_ui.endXEdit, m_ui.endYEdit, m_ui.circleXEdit, m_ui.circleYEdit})
        connect(e, &QLineEdit::textChanged, this, &CSetStep::UpdatePreview);
    for (QComboBox *c : {m_ui.typeCombo, m_ui.centreModeCombo})
        connect(c, &QComboBox::currentIndexChanged, this, &CSetStep::UpdatePreview);
}

void CSetStep::OnInitDialog()
{
    m_ui.centreModeCombo->clear();
    m_ui.centreModeCombo->addItems({Str(pos::sid::CentrePoint), Str(pos::sid::PassThroughPoint)});
    m_ui.typeCombo->clear();
    m_ui.typeCombo->addItems({Str(pos::sid::StraightLine), Str(pos::sid::ClockwiseArc),
                              Str(pos::sid::CounterclockwiseArc)});
    m_ui.centreModeCombo->setCurrentIndex(0);
    m_ui.typeCombo->setCurrentIndex(0);
    SetArcFieldsEnabled(false);
    WriteFields();
}

int CSetStep::currentSection() const
{
    return m_ui.currentLabel->text().toInt();
}

int CSetStep::totalSection() const
{
    return m_ui.totalLabel->text().toInt();
}

void CSetStep::SetSections(int current, int total)
{
    m_ui.currentLabel->setText(QString::number(current));
    m_ui.totalLabel->setText(QString::number(total));
}

void CSetStep::SetArcFieldsEnabled(bool enabled)
{
    m_ui.centreModeCombo->setEnabled(enabled);
    m_ui.circleXEdit->setEnabled(enabled);
    m_ui.circleYEdit->setEnabled(enabled);
}

void CSetStep::OnSelchangeType(int index)
{
    SetArcFieldsEnabled(index > 0);
}

void CSetStep::WriteFields()
{
    m_ui.maxSpeedEdit->setText(QString::number(m_nMaxSpeed));
    m_ui.initialSpeedEdit->setText(QString::number(m_nInitialSpeed));
    m_ui.accDecTimeEdit->setText(QString::number(m_nAccDecTime));
    m_ui.endXEdit->setText(QString::number(m_nEndX));
    m_ui.endYEdit->setText(QString::number(m_nEndY));
    m_ui.circleXEdit->setText(QString::number(m_nCentreX));
    m_ui.circleYEdit->setText(QString::number(m_nCentreY));
}

bool CSetStep::LoadSegment(std::uint32_t n)
{
    if (!m_pConfig)
        return false;
    const auto it = m_pConfig->segments.find(n);
    if (it != m_pConfig->segments.end()) {
        const pos::PosSegment &s = it->second;
        if (s.type >= 1 && s.type <= 3)
            m_ui.typeCombo->setCurrentIndex(s.type - 1);
        OnSelchangeType(m_ui.typeCombo->currentIndex());
        if (s.centreMode == 0 || s.centreMode == 1)
            m_ui.centreModeCombo->setCurrentIndex(s.centreMode);
        m_nInitialSpeed = s.initialSpeed;
        m_nMaxSpeed = s.maxSpeed;
        m_nAccDecTime = s.accDecTime;
        m_nEndX = s.endX;
        m_nEndY = s.endY;
        m_nCentreX = s.centreX;
        m_nCentreY = s.centreY;
    }
    WriteFields();
    m_ui.typeCombo->setFocus(); // a segment opens at its first field
    return true;
}

void CSetStep::ClearSegmentFields()
{
    m_nMaxSpeed = m_nInitialSpeed = m_nAccDecTime = 0;
    m_nEndX = m_nEndY = m_nCentreX = m_nCentreY = 0;
    m_ui.typeCombo->setCurrentIndex(0);
    m_ui.centreModeCombo->setCurrentIndex(0);
    SetArcFieldsEnabled(false);
    WriteFields();
    m_ui.typeCombo->setFocus(); // a segment opens at its first field
}

void CSetStep::StepSegmentNumber(Direction direction)
{
    int current = currentSection();
    int total = totalSection();
    if (direction == Direction::Backwards) {
        if (current == 1 || current > total)
            return;
        --current;
    } else {
        if (current == kMaxSections)
            return;
        if (current == total) {
            ++current;
            ++total;
        } else if (current < total) {
            ++current;
        } else {
            return;
        }
    }
    SetSections(current, total);
}

bool CSetStep::CheckAddressCapacity(bool all)
{
    if (!m_pConfig)
        return false;
    const std::uint32_t last = all ? 0u : static_cast<std::uint32_t>(currentSection());
    const pos::Status fits = pos::CheckAddressCapacity(*m_pConfig, last);
    if (fits)
        return false;
    pos::ui::ShowOk(this, pos::ui::Say(fits.error()));
    return true;
}

void CSetStep::ShowTrajectory()
{
    if (!m_pConfig)
        return;
    const auto count = static_cast<std::size_t>(m_pConfig->segments.size());
    m_nShowCount = static_cast<std::int32_t>(count);
    for (auto *a : {&m_pCentreX, &m_pCentreY, &m_pBeginX, &m_pBeginY, &m_pEndY, &m_pEndX, &m_pType})
        a->assign(count, 0);
    std::vector<std::int32_t> modes(count, 0);
    std::vector<bool> travel(count, false);
    for (std::size_t k = 0; k < count; ++k) {
        const auto it = m_pConfig->segments.find(static_cast<std::uint32_t>(k + 1));
        if (it == m_pConfig->segments.end())
            continue;
        const pos::PosSegment &s = it->second;
        m_pType[k] = s.type;
        m_pBeginX[k] = s.beginX;
        m_pBeginY[k] = s.beginY;
        m_pEndX[k] = s.endX;
        m_pEndY[k] = s.endY;
        m_pCentreX[k] = s.centreX;
        m_pCentreY[k] = s.centreY;
        modes[k] = s.centreMode;
        travel[k] = s.travel;
    }
    m_ui.display->setActionMode(m_pConfig->actionMode);
    m_ui.display->setCentreModes(std::move(modes));
    m_ui.display->setTravelMarks(std::move(travel));
    m_ui.display->DrawTrajectory(m_pCentreX.data(), m_pCentreY.data(), m_pBeginX.data(),
                                 m_pBeginY.data(), m_pEndX.data(), m_pEndY.data(), m_pType.data(),
                                 m_nShowCount, currentSection(), true);
    UpdatePreview(); // it begins where the chain now says
}

void CSetStep::UpdatePreview()
{
    // The segment in the fields, drawn before it is stored once its points
    // pass the number rule and, for an arc, an arc can be formed from them;
    // anything else shows no preview and says nothing.
    const int type = m_ui.typeCombo->currentIndex() + 1;
    if (!m_pConfig || type < pos::kTypeLine || type > pos::kTypeCcw) {
        m_ui.display->clearPreview();
        return;
    }
    const bool arc = type != pos::kTypeLine;
    pos::PosSegment s;
    s.type = type;
    s.centreMode = arc ? std::max(m_ui.centreModeCombo->currentIndex(), 0) : 0;
    std::pair<QLineEdit *, std::int32_t *> points[] = {{m_ui.endXEdit, &s.endX},
                                                       {m_ui.endYEdit, &s.endY},
                                                       {m_ui.circleXEdit, &s.centreX},
                                                       {m_ui.circleYEdit, &s.centreY}};
    for (const auto &[edit, value] : std::span(points).first(arc ? 4 : 2)) {
        const pos::Result<std::int64_t> number
            = pos::ValidateNumberField(edit->text().toStdString(), pos::NumberField::Signed32);
        if (!number) {
            m_ui.display->clearPreview();
            return;
        }
        *value = static_cast<std::int32_t>(*number);
    }
    const auto current = static_cast<std::uint32_t>(currentSection());
    std::int32_t bx = 0;
    std::int32_t by = 0;
    pos::SegmentBeginPoint(*m_pConfig, current, bx, by);
    if (arc && pos::CheckSegmentArc(bx, by, s).result == pos::kArcImpossible) {
        m_ui.display->clearPreview();
        return;
    }
    // Incremental points are relative to (0, 0): drawn where the segment
    // before lands.
    const bool absolute = m_pConfig->actionMode == 1;
    const pos::Vec2 begin = absolute ? pos::Vec2{static_cast<double>(bx), static_cast<double>(by)}
                                     : m_ui.display->segmentEnd(static_cast<int>(current) - 1);
    m_ui.display->setActionMode(m_pConfig->actionMode);
    m_ui.display->setPreview({s.type, s.centreMode, s.endX, s.endY, s.centreX, s.centreY, false},
                             begin);
}

bool CSetStep::TransferFields()
{
    const bool arc = m_ui.typeCombo->currentIndex() > 0;
    struct Field
    {
        QLineEdit *edit;
        QLabel *label;
        bool allowNegative;
        std::int64_t value = 0;
    };
    Field fields[] = {{m_ui.maxSpeedEdit, m_ui.maxSpeedLabel, false},
                      {m_ui.initialSpeedEdit, m_ui.initialSpeedLabel, false},
                      {m_ui.accDecTimeEdit, m_ui.accDecTimeLabel, false},
                      {m_ui.endXEdit, m_ui.endXLabel, true},
                      {m_ui.endYEdit, m_ui.endYLabel, true},
                      {m_ui.circleXEdit, m_ui.circleXLabel, true},
                      {m_ui.circleYEdit, m_ui.circleYLabel, true}};
    for (Field &f : fields) {
        // The Circle fields of a straight line are set to 0 below, whatever they hold.
        if (!arc && (f.edit == m_ui.circleXEdit || f.edit == m_ui.circleYEdit))
            continue;
        if (!ConvertField(f.edit->text(), f.allowNegative, f.value)) {
            f.edit->setFocus();
            pos::ui::ShowOk(this, pos::ui::ConversionMessage(f.allowNegative, f.label->text()));
            f.edit->setFocus();
            f.edit->selectAll();
            return false;
        }
    }
    // Out-of-range values are refused by the number rule that follows.
    m_nMaxSpeed = static_cast<std::uint32_t>(fields[0].value);
    m_nInitialSpeed = static_cast<std::uint32_t>(fields[1].value);
    m_nAccDecTime = static_cast<std::uint32_t>(fields[2].value);
    m_nEndX = static_cast<std::int32_t>(fields[3].value);
    m_nEndY = static_cast<std::int32_t>(fields[4].value);
    m_nCentreX = static_cast<std::int32_t>(fields[5].value);
    m_nCentreY = static_cast<std::int32_t>(fields[6].value);
    return true;
}

bool CSetStep::ValidateNumberField(const NumberEdit &field)
{
    const pos::Result<std::int64_t> value = pos::ValidateNumberField(
        field.edit->text().toStdString(),
        field.allowNegative ? pos::NumberField::Signed32 : pos::NumberField::Unsigned32);
    if (value)
        return true;
    pos::ui::ShowOk(this, pos::ui::FieldMessage(value.error(), field.label->text()));
    field.edit->setFocus();
    field.edit->selectAll();
    return false;
}

bool CSetStep::CheckSegmentInput()
{
    if (!TransferFields())
        return false;
    const bool arc = m_ui.typeCombo->currentIndex() > 0;
    const NumberEdit initial{m_ui.initialSpeedEdit, m_ui.initialSpeedLabel, false};
    const NumberEdit maximum{m_ui.maxSpeedEdit, m_ui.maxSpeedLabel, false};
    const NumberEdit endX{m_ui.endXEdit, m_ui.endXLabel, true};
    const NumberEdit endY{m_ui.endYEdit, m_ui.endYLabel, true};
    for (const NumberEdit &f : {initial, maximum, endX, endY})
        if (!ValidateNumberField(f))
            return false;
    if (!arc) {
        m_ui.circleXEdit->setText(QStringLiteral("0"));
        m_ui.circleYEdit->setText(QStringLiteral("0"));
        m_nCentreX = m_nCentreY = 0;
    } else {
        for (const NumberEdit &f : {NumberEdit{m_ui.circleXEdit, m_ui.circleXLabel, true},
                                    NumberEdit{m_ui.circleYEdit, m_ui.circleYLabel, true}})
            if (!ValidateNumberField(f))
                return false;
    }
    if (!ValidateNumberField({m_ui.accDecTimeEdit, m_ui.accDecTimeLabel, false}))
        return false;

    const int current = currentSection();
    if (!arc || current == 1 || !m_pConfig)
        return true;
    pos::PosSegment segment;
    segment.type = m_ui.typeCombo->currentIndex() + 1;
    segment.centreMode = m_ui.centreModeCombo->currentIndex();
    segment.endX = m_nEndX;
    segment.endY = m_nEndY;
    segment.centreX = m_nCentreX;
    segment.centreY = m_nCentreY;
    std::int32_t bx = 0, by = 0;
    pos::SegmentBeginPoint(*m_pConfig, static_cast<std::uint32_t>(current), bx, by);
    pos::ui::ArcPrompt prompt;
    prompt.parent = this;
    prompt.icon = QMessageBox::Warning;
    prompt.takeEnd = [this](std::int32_t x, std::int32_t y) {
        m_nEndX = x;
        m_nEndY = y;
        m_ui.endXEdit->setText(QString::number(m_nEndX));
        m_ui.endYEdit->setText(QString::number(m_nEndY));
    };
    return pos::ui::ConfirmArc(prompt, bx, by, segment);
}

bool CSetStep::SavePage()
{
    if (!m_pConfig)
        return false;
    const auto n = static_cast<std::uint32_t>(currentSection());
    pos::PosSegment &s = m_pConfig->segments[n]; // a new one starts zero-filled
    s.type = m_ui.typeCombo->currentIndex() + 1;
    s.centreMode = s.type == pos::kTypeLine ? 0 : m_ui.centreModeCombo->currentIndex();
    s.initialSpeed = m_nInitialSpeed;
    s.maxSpeed = m_nMaxSpeed;
    s.endX = m_nEndX;
    s.endY = m_nEndY;
    s.centreX = m_nCentreX;
    s.centreY = m_nCentreY;
    s.accDecTime = m_nAccDecTime;
    return true;
}

void CSetStep::EnterPage()
{
    if (!m_pConfig || m_pConfig->segments.empty()) {
        ClearSegmentFields();
        SetSections(1, 1);
        ShowTrajectory();
        return;
    }
    SetSections(
        1, static_cast<int>(std::min<std::size_t>(m_pConfig->segments.size(), pos::kMaxSegments)));
    LoadSegment(1);
    ShowTrajectory();
}

bool CSetStep::NextSegment()
{
    if (!CheckSegmentInput())
        return false;
    SavePage();
    if (CheckAddressCapacity(false))
        return false;
    const int current = currentSection();
    const int total = totalSection();
    if (current < total) {
        StepSegmentNumber(Direction::Forwards);
        ShowTrajectory();
        LoadSegment(static_cast<std::uint32_t>(currentSection()));
    } else if (total < kMaxSections) {
        StepSegmentNumber(Direction::Forwards);
        ShowTrajectory();
        ClearSegmentFields();
    } else {
        pos::ui::ShowOk(this, pos::ui::StrF(pos::sid::MaxStep, {std::int64_t{kMaxSections}}));
        return false;
    }
    return true;
}

bool CSetStep::PreviousSegment()
{
    if (!CheckSegmentInput())
        return false;
    SavePage();
    if (currentSection() > 1) {
        StepSegmentNumber(Direction::Backwards);
        LoadSegment(static_cast<std::uint32_t>(currentSection()));
        ShowTrajectory();
    }
    return true;
}

bool CSetStep::FinishSegments()
{
    if (!CheckSegmentInput())
        return false;
    SavePage();
    const int current = currentSection();
    const auto stored = static_cast<std::int64_t>(m_pConfig->segments.size());
    const std::int64_t following = stored - current;
    if (current < totalSection() && following >= 1) {
        const auto answer = pos::ui::Prompts().message(
            this,
            pos::ui::StrF(pos::sid::KeepFollowing, {std::int64_t{current}, following, following}),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question,
            QMessageBox::NoButton);
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer == QMessageBox::No) {
            for (auto n = static_cast<std::uint32_t>(current) + 1; m_pConfig->segments.erase(n);
                 ++n) {
            }
            SetSections(current, current);
        }
    }
    if (CheckAddressCapacity(true) || !CheckWholeOutline())
        return false;
    ShowTrajectory();
    return true;
}

bool CSetStep::CheckWholeOutline()
{
    // Stored segments were checked where they began when they were entered;
    // the action mode may have changed since, and a modified outline may
    // never have passed this page at all.
    const std::vector<pos::Diagnostic> problems = pos::CheckOutline(*m_pConfig);
    if (problems.empty())
        return true;
    const pos::Diagnostic &first = problems.front();
    if (first.segment >= 1 && static_cast<int>(first.segment) <= totalSection()) {
        // Bring the segment up and check it as every move checks it: its
        // usual message, the chooser writing a corrected end into the fields.
        SetSections(static_cast<int>(first.segment), totalSection());
        LoadSegment(first.segment);
        ShowTrajectory();
        if (!CheckSegmentInput())
            return false;
    }
    pos::ui::ShowOk(this, pos::ui::Say(first));
    return false;
}

void CSetStep::OnDelete()
{
    if (pos::ui::AskDestructive(this, Str(pos::sid::DeleteFollowing),
                                QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon)
        != QMessageBox::Ok)
        return;
    if (!m_pConfig)
        return;
    const int current = currentSection();
    for (auto n = static_cast<std::uint32_t>(current); m_pConfig->segments.erase(n); ++n) {
    }
    int now = 1;
    if (current == 1) {
        ClearSegmentFields();
    } else {
        LoadSegment(static_cast<std::uint32_t>(current - 1));
        now = current - 1;
    }
    SetSections(now, now);
    ShowTrajectory();
}

void CSetStep::OnDisplay()
{
    if (!CheckSegmentInput())
        return;
    SavePage();
    ShowTrajectory();
}
