#include "dialogs/CGraphicDisplay.h"

#include "controls/CGraphicShow.h"
#include "controls/CSpeedProfile.h"

#include <algorithm>

CGraphicDisplay::CGraphicDisplay(std::int32_t count, QWidget *parent)
    : QDialog(parent)
    , m_count(std::max<std::int32_t>(count, 0))
    , m_current(m_count)
{
    m_ui.setupUi(this);
    const auto n = static_cast<std::size_t>(m_count);
    Arrays &a = m_arrays;
    for (auto *v : {&a.centreX, &a.centreY, &a.beginX, &a.beginY, &a.endX, &a.endY, &a.type})
        v->assign(n, 0);
    connect(m_ui.closeButton, &QPushButton::clicked, this, &CGraphicDisplay::accept);
    connect(m_ui.speedCheck, &QCheckBox::toggled, m_ui.display, &CGraphicShow::setSpeedColouring);
    connect(m_ui.speedCheck, &QCheckBox::toggled, m_ui.profile, &CSpeedProfile::setSpeedColouring);
    // The segment under the mouse, in either view, is picked out in both.
    connect(m_ui.display, &CGraphicShow::hoverChanged, m_ui.profile,
            &CSpeedProfile::setHighlightedSegment);
    connect(m_ui.profile, &CSpeedProfile::highlightChanged, m_ui.display,
            &CGraphicShow::setHoveredSegment);
}

CGraphicShow *CGraphicDisplay::display() const
{
    return m_ui.display;
}

void CGraphicDisplay::setActionMode(int mode)
{
    m_ui.display->setActionMode(mode);
}

void CGraphicDisplay::setCentreModes(std::vector<std::int32_t> modes)
{
    m_ui.display->setCentreModes(std::move(modes));
}

void CGraphicDisplay::setTravelMarks(std::vector<bool> marks)
{
    m_ui.display->setTravelMarks(std::move(marks));
}

void CGraphicDisplay::setSpeeds(std::vector<CGraphicShow::Speeds> speeds)
{
    m_ui.display->setSpeeds(std::move(speeds));
    m_ui.profile->setMotion(m_ui.display->motion());
}

CSpeedProfile *CGraphicDisplay::profile() const
{
    return m_ui.profile;
}

void CGraphicDisplay::OnInitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    // The caller may have resized an array; the view reads count elements of each.
    const auto n = static_cast<std::size_t>(m_count);
    Arrays &a = m_arrays;
    for (auto *v : {&a.centreX, &a.centreY, &a.beginX, &a.beginY, &a.endX, &a.endY, &a.type})
        v->resize(n, 0);
    m_ui.display->DrawTrajectory(a.centreX.data(), a.centreY.data(), a.beginX.data(),
                                 a.beginY.data(), a.endX.data(), a.endY.data(), a.type.data(),
                                 m_count, m_current, true);
    // The profile of what the view now draws.
    m_ui.profile->setMotion(m_ui.display->motion());
    m_ui.closeButton->setFocus();
}

void CGraphicDisplay::showEvent(QShowEvent *event)
{
    OnInitDialog();
    QDialog::showEvent(event);
}
