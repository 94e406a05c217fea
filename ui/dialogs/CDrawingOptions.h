#pragma once

// The options of a drawing's import, between reading the drawing and the
// Import DXF dialog: the unit, pulses per millimetre, the tolerance, where
// the machine starts, the layers to take and whether to put the contours in
// machining order. Every change arranges the drawing again after a short
// pause, and the dialog shows the result: a picture of the outline (travel
// moves dashed) and its figures, a warning when it has more segments than a
// subprogram takes, or why it cannot be arranged (OK is then greyed).
//
// The options a user confirms with OK are remembered for the next drawing
// (the layers and a unit that the drawing gives are the drawing's own).

#include "geometry/DrawingImport.h"

#include "ui_CDrawingOptions.h"

#include <QDialog>
#include <QTimer>

#include <optional>

class CGraphicShow;

class CDrawingOptions : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kSettleMs = 150; // pause after a change before arranging again

    explicit CDrawingOptions(pos::dxf::Drawing drawing, QWidget *parent = nullptr);
    ~CDrawingOptions() override;

    // The options as the fields give them.
    pos::ArrangeOptions options() const;
    // The outline the options give; null while they give none.
    const pos::ArrangedDrawing *arranged() const;
    CGraphicShow *preview() const;
    // True while a change waits to be arranged.
    bool isPending() const { return m_settle.isActive(); }

    // Arranges the drawing with the fields' options now and shows the result.
    void Arrange();
    // OK: arranges what is still waiting, remembers the options and closes
    // the dialog when the outline can be taken.
    void accept() override;

private:
    void FillUnits();
    void FillLayers();
    void LoadSettings();
    void SaveSettings() const;
    int DrawingUnit() const;

    Ui::CDrawingOptions m_ui;
    pos::dxf::Drawing m_drawing;
    std::optional<pos::ArrangedDrawing> m_arranged;
    QTimer m_settle;
};
