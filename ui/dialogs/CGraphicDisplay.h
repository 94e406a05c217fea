#pragma once

// Shows a list of segments in the trajectory view until the user presses
// Close. The caller creates it for a number of segments, fills the seven
// arrays (element i describes the i-th segment shown) and shows it; the
// dialog owns the arrays.
//
// A second tab shows the speed profile of the same segments from their
// speeds; the segment under the mouse in either tab is picked out in both.
// A check box colours the trajectory (and the profile's curves) by the
// speed each segment reaches.

#include "controls/CGraphicShow.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui_CGraphicDisplay.h"

class CSpeedProfile;

class CGraphicDisplay : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 1020;

    // count < 0 counts as 0. The current segment passed to the view is count.
    explicit CGraphicDisplay(std::int32_t count, QWidget *parent = nullptr);

    std::int32_t count() const { return m_count; }
    std::int32_t current() const { return m_current; }

    // The seven arrays, count elements each, all 0 after construction.
    struct Arrays
    {
        std::vector<std::int32_t> centreX, centreY, beginX, beginY, endX, endY, type;
    };
    Arrays &arrays() { return m_arrays; }
    const Arrays &arrays() const { return m_arrays; }

    // How the view reads the points: action mode 0 incremental, 1 absolute;
    // centre mode per segment (0 centre point, 1 pass-through point); travel
    // marks per segment (drawn dashed).
    void setActionMode(int mode);
    void setCentreModes(std::vector<std::int32_t> modes);
    void setTravelMarks(std::vector<bool> marks);
    // Speeds per segment, as the view takes them (without them no segment
    // has a time, and the profile says so).
    void setSpeeds(std::vector<CGraphicShow::Speeds> speeds);

    // Hands the arrays to the view once; showing the dialog runs it.
    void OnInitDialog();
    bool isInitialised() const { return m_initialised; }
    CGraphicShow *display() const;
    CSpeedProfile *profile() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Ui::CGraphicDisplay m_ui;
    Arrays m_arrays;
    std::int32_t m_count;
    std::int32_t m_current;
    bool m_initialised = false;
};
