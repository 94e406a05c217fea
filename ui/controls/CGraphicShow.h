#pragma once

// The trajectory view: draws a chain of straight lines and arcs to scale.
//
// World coordinates are the segments' own units with X to the right and Y
// upwards; the view keeps both axes at the same scale. The chain starts at
// the origin and runs as the PLC moves (see pos::BuildTrajectory). The wheel
// zooms about the cursor, dragging with the left button pans, a double-click
// fits the whole chain again, and hovering a segment tells its number and
// end point (tooltip and hoverChanged); in incremental mode it tells the end
// point as entered and where the segment lands. With the keyboard focus, +
// and - zoom about the middle of the window, 0 fits the whole chain again
// and the arrow keys pan. A scale bar (bottom left) gives a round length in
// drawing units; the point under the mouse is shown in the bottom right
// corner. Travel moves between contours are drawn dashed; a segment being
// typed (the preview) is drawn dashed in a colour of its own.
//
// Given the segments' speeds, the view knows each segment's motion and can
// colour the path by the highest speed each segment reaches, on the scale of
// the pictures the command line draws (pos::SpeedColour, from the outline's
// lowest to its highest peak): travel moves stay grey, a segment whose time
// cannot be computed is black. A legend in the top right corner gives the
// scale; a fitted picture keeps below it.

#include "geometry/Motion.h"
#include "geometry/Trajectory.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QStaticText>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

// The longest length of 1, 2 or 5 times a power of ten drawing units that
// takes at most maxPixels at pixelsPerUnit; 0 when either is not a positive
// finite number.
double RoundScaleLength(double pixelsPerUnit, double maxPixels);

class CGraphicShow : public QWidget
{
    Q_OBJECT
public:
    explicit CGraphicShow(QWidget *parent = nullptr);
    ~CGraphicShow() override;

    // Draws count segments; element i of each array describes segment i + 1:
    // circle point, begin point (not used for drawing: segments are chained),
    // end point, type (1 line, 2 clockwise arc, 3 counter-clockwise arc, 0
    // unknown: drawn as a line). current is the segment to highlight
    // (1-based; 0 none). The arrays are copied. Returns true.
    bool DrawTrajectory(const std::int32_t *centreX, const std::int32_t *centreY,
                        const std::int32_t *beginX, const std::int32_t *beginY,
                        const std::int32_t *endX, const std::int32_t *endY,
                        const std::int32_t *type, std::int32_t count, std::int32_t current,
                        bool redraw);

    // 0 incremental: each end and circle point is relative to where its
    // segment begins; 1 absolute. Takes effect at the next DrawTrajectory.
    void setActionMode(int mode);
    // Centre mode per segment (0 centre point, 1 pass-through point); a
    // segment without an entry uses 0. Takes effect at the next DrawTrajectory.
    void setCentreModes(std::vector<std::int32_t> modes);
    // Travel marks per segment (true: a move between contours, drawn
    // dashed); a segment without an entry is none. Takes effect at the next
    // DrawTrajectory.
    void setTravelMarks(std::vector<bool> marks);

    // The speeds of one segment: initial and maximum speed in Hz (pulses per
    // second along the path), acceleration/deceleration time in ms.
    struct Speeds
    {
        std::uint32_t initialSpeed = 0;
        std::uint32_t maxSpeed = 0;
        std::uint32_t accDecTime = 0;
    };
    // Speeds per segment, in segment order; a segment without an entry has
    // speeds 0, so its time cannot be computed. Takes effect at once and
    // stays for the chains drawn after.
    void setSpeeds(std::vector<Speeds> speeds);
    // The motion of each segment drawn, in order (pos::ProfileSegment over
    // the length the segment draws; segment numbers from 1).
    const std::vector<pos::SegmentMotion> &motion() const { return m_motion; }
    // Colours the path by the speed reached, with the legend.
    void setSpeedColouring(bool on);
    bool speedColouring() const { return m_speedColouring; }
    // The colour segment n (1-based) is drawn in when it is neither the
    // current nor the hovered one; invalid for a segment not drawn.
    QColor segmentColour(int segment) const;
    // Where the speed legend is drawn; empty when there is none (colouring
    // off, nothing drawn, or a window too small to hold it).
    QRect legendRect() const;

    // Shows primitives as they are, in place of a chain of segments (the
    // arranged drawing before rounding), fitted to the window; current and
    // hover work by their order.
    void ShowPrimitives(std::vector<pos::TrajectoryPrimitive> primitives);

    // A segment not yet in the chain (the one being typed), drawn
    // dashed on top of it. It begins at begin (world units); its end and
    // circle points are read in the action mode set last: as they are in
    // absolute mode (begin then holds whole numbers), relative to begin in
    // incremental mode. While the view is fitted the fit takes it in.
    // Neither hover nor the chain's numbering count it.
    void setPreview(const pos::TrajectoryInput &segment, pos::Vec2 begin);
    void clearPreview();
    // What the preview draws, or nothing.
    const std::optional<pos::TrajectoryPrimitive> &preview() const { return m_preview; }
    // Where segment n (1-based) of the chain lands; the origin for 0 or for
    // a segment not drawn.
    pos::Vec2 segmentEnd(int segment) const;

    // What the view shows, for status bars and tests.
    const std::vector<pos::TrajectoryPrimitive> &primitives() const { return m_primitives; }
    pos::ViewTransform viewTransform() const { return m_view; }
    // True while the view follows the window: no zoom or pan since the last fit.
    bool isFitted() const { return m_fitted; }
    int currentSegment() const { return m_current; }
    // The segment under the mouse (1-based; 0 none) and its text, e.g. "3: (30000, 10000)".
    int hoveredSegment() const { return m_hovered; }
    QString hoverText() const { return m_hoverText; }
    // Hovers segment n from outside the view (another view of the same
    // outline): it is picked out as if the mouse were on it, and
    // hoverChanged tells; 0 or a segment not drawn hovers none.
    void setHoveredSegment(int segment);
    // The area of the world the window shows.
    pos::BoundingBox visibleArea() const;
    // The scale bar's length in drawing units (0 when none is drawn); it is
    // that length times viewTransform().scale pixels long.
    double scaleBarLength() const;
    // The world point under the mouse, while the mouse is over the view, and
    // the corner text that gives it in whole drawing units.
    std::optional<pos::Vec2> cursorPosition() const;
    QString cursorText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // Shows the whole chain and the origin again.
    void fitToWindow();

signals:
    void hoverChanged(int segment, const QString &text);

protected:
    bool event(QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    void rebuild();
    void takePrimitives(std::vector<pos::TrajectoryPrimitive> primitives);
    void updateBounds();
    void setTexts();
    void setHover(int segment, bool byMouse = true);
    void updateMotion();
    pos::ViewTransform fittedView() const;
    void paintLegend(QPainter &painter);
    void updateHoverAt(QPointF pos);
    QString segmentText(int segment) const;
    void updateFonts();
    double fitScale() const;
    void zoomBy(double steps, QPointF about);
    void panBy(double dx, double dy);
    void paintPrimitive(QPainter &painter, const pos::TrajectoryPrimitive &p,
                        const pos::BoundingBox &clip);
    bool markerPlace(const pos::TrajectoryPrimitive &p, double minPixels, QPointF &mid,
                     QPointF &dir) const;
    void paintArrow(QPainter &painter, const pos::TrajectoryPrimitive &p, double size,
                    const QColor &colour);
    void paintLabel(QPainter &painter, std::size_t index, const QColor &colour);
    void paintPreview(QPainter &painter, const pos::BoundingBox &clip);
    void paintOverlay(QPainter &painter);
    QRect overlayRect() const;

    // The copied input and what it builds.
    std::vector<pos::TrajectoryInput> m_inputs;
    int m_builtActionMode = -1;
    std::vector<pos::TrajectoryPrimitive> m_primitives;
    std::vector<QStaticText> m_labels; // segment numbers, laid out once per build and font
    pos::BoundingBox m_chainBounds;
    pos::BoundingBox m_bounds; // what a fit shows: the chain and the preview
    int m_current = 0;
    std::optional<pos::TrajectoryPrimitive> m_preview;

    int m_actionMode = 0;
    std::vector<std::int32_t> m_centreModes;
    std::vector<bool> m_travelMarks;
    std::vector<Speeds> m_speeds;

    // The motion of each primitive and what colouring by speed makes of it.
    std::vector<pos::SegmentMotion> m_motion;
    std::vector<QColor> m_speedColours; // per primitive, for the timed ones
    double m_lowSpeed = 0.0;            // the lowest and highest peak of the timed segments
    double m_highSpeed = 0.0;
    bool m_anyTimed = false;
    bool m_anyUntimed = false; // a segment that cuts and has no time
    bool m_speedColouring = false;

    pos::ViewTransform m_view;
    bool m_fitted = true;
    bool m_dragging = false;
    QPointF m_lastDragPos;

    int m_hovered = 0;
    QString m_hoverText;
    QPointF m_lastMousePos;
    bool m_mouseKnown = false;

    QFont m_labelFont;
    QString m_axisX;
    QString m_axisY;
    QString m_cursorFormat;
    QString m_legendTitle;
    QString m_noTimeText;
    // Reused across paints.
    pos::ViewPolylines m_flat;
    std::vector<QPointF> m_points;
    std::vector<QRectF> m_placedLabels;  // numbers drawn so far in this paint
    std::vector<QPointF> m_placedArrows; // arrow centres drawn so far in this paint
};
