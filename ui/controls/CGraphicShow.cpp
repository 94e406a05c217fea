#include "controls/CGraphicShow.h"

#include "geometry/TrajectorySvg.h"
#include "res/UiText.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double kMargin = 28.0;           // pixels kept free around the fitted chain
constexpr double kHoverPixels = 6.0;       // how near the mouse must be to a segment
constexpr double kTolerance = 0.25;        // pixels an arc's chords may stray from it
constexpr double kClipSlack = 8.0;         // pixels drawn beyond the window's edge
constexpr double kZoomPerStep = 1.25;      // one wheel notch
constexpr double kMinZoomOut = 1.0 / 20.0; // relative to the fit
constexpr double kMaxPixelsPerUnit = 100.0;
constexpr double kArrowMinPixels = 28.0; // shorter segments get no arrow
constexpr double kArrowSpacing = 16.0;   // pixels between the centres of two arrows
constexpr double kLabelMinPixels = 36.0; // shorter segments get no number

constexpr double kKeyPanShare = 0.125;       // of the window, per arrow key press
constexpr double kKeyPanMinPixels = 16.0;    // and at least this
constexpr double kOverlayMargin = 8.0;       // pixels between the corner texts and the edge
constexpr double kScaleBarShare = 0.4;       // of the window's width at most
constexpr double kScaleBarMaxPixels = 160.0; // and at most this
constexpr double kScaleBarMinPixels = 8.0;   // narrower windows get no scale bar

const QColor kBackground(250, 250, 247);
const QColor kAxis(175, 175, 175);
const QColor kOrigin(90, 90, 90);
const QColor kSegment(58, 110, 165);
const QColor kHover(20, 60, 120);
const QColor kCurrent(225, 105, 20);
const QColor kStart(40, 160, 70);
const QColor kLabel(95, 95, 95);
const QColor kTravel(140, 140, 140);
const QColor kPreview(175, 40, 150);
const QColor kScaleBar(60, 60, 60);
const QColor kOverlayBack(250, 250, 247, 215);
const QColor kUntimed(0, 0, 0);               // coloured by speed: a segment without a time
const QColor kHoverHalo(20, 60, 120, 70);     // under a hovered segment coloured by speed
const QColor kCurrentHalo(225, 105, 20, 110); // under the current one

constexpr double kLegendPadding = 6.0;    // pixels inside the legend's frame
constexpr double kLegendBarWidth = 120.0; // the colour bar, at least
constexpr double kLegendBarHeight = 10.0;
constexpr double kLegendGap = 3.0;     // between the legend's rows
constexpr double kLegendSwatch = 16.0; // the line before "no time"

// The colour of the speed scale shared with the pictures of the command line.
QColor SpeedQColor(double speed, double low, double high)
{
    return QColor(QString::fromStdString(pos::SpeedColour(speed, low, high)));
}

QPointF ToQt(pos::Vec2 v)
{
    return {v.x, v.y};
}

// A world coordinate as the nearest whole number of drawing units that an
// outline can hold.
std::int32_t WholeUnits(double v)
{
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return std::isfinite(v) ? static_cast<std::int32_t>(std::clamp(std::round(v), lo, hi)) : 0;
}

// A coordinate for the corner text, in whole units; beyond what a 64-bit
// number holds (only far out of any outline) a dash.
QString CoordinateText(double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.0e18)
        return QStringLiteral("-");
    return QString::number(static_cast<qint64>(std::llround(v)));
}

} // namespace

double RoundScaleLength(double pixelsPerUnit, double maxPixels)
{
    if (!(pixelsPerUnit > 0.0) || !(maxPixels > 0.0) || !std::isfinite(pixelsPerUnit)
        || !std::isfinite(maxPixels))
        return 0.0;
    const double most = maxPixels / pixelsPerUnit; // drawing units that fit
    if (!std::isfinite(most) || most <= 0.0)
        return 0.0;
    const double decade = std::pow(10.0, std::floor(std::log10(most)));
    // log10 may land a hair off an exact power: the pick below stays within most.
    for (const double base : {5.0, 2.0, 1.0, 0.5})
        if (base * decade <= most * (1.0 + 1e-12))
            return base * decade;
    return 0.0;
}

CGraphicShow::CGraphicShow(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    updateFonts();
    setTexts();
    rebuild();
    m_view = fittedView();
}

CGraphicShow::~CGraphicShow() = default;

bool CGraphicShow::DrawTrajectory(const std::int32_t *centreX, const std::int32_t *centreY,
                                  const std::int32_t *beginX, const std::int32_t *beginY,
                                  const std::int32_t *endX, const std::int32_t *endY,
                                  const std::int32_t *type, std::int32_t count,
                                  std::int32_t current, bool redraw)
{
    // The segments are chained from the origin, so the begin points are not
    // needed; the caller may free every array once this returns.
    Q_UNUSED(beginX);
    Q_UNUSED(beginY);
    // Without any array there is nothing to draw, whatever the count says.
    const bool anyArray = centreX || centreY || endX || endY || type;
    const std::size_t n = count > 0 && anyArray ? static_cast<std::size_t>(count) : 0;
    const auto at = [](const std::int32_t *a, std::size_t i) { return a ? a[i] : 0; };
    std::vector<pos::TrajectoryInput> inputs(n);
    for (std::size_t i = 0; i < n; ++i) {
        pos::TrajectoryInput &in = inputs[i];
        in.type = at(type, i);
        in.centreMode = i < m_centreModes.size() ? m_centreModes[i] : 0;
        in.endX = at(endX, i);
        in.endY = at(endY, i);
        in.centreX = at(centreX, i);
        in.centreY = at(centreY, i);
        in.travel = i < m_travelMarks.size() && m_travelMarks[i];
    }
    m_current = current;

    // Stepping through the same chain keeps the user's zoom; a new chain is
    // fitted.
    if (inputs != m_inputs || m_builtActionMode != m_actionMode) {
        m_inputs = std::move(inputs);
        rebuild();
        m_fitted = true;
        m_view = fittedView();
    }
    if (m_mouseKnown && underMouse())
        updateHoverAt(m_lastMousePos);
    else
        setHover(0);
    if (redraw)
        update();
    return true;
}

void CGraphicShow::setActionMode(int mode)
{
    m_actionMode = mode == 1 ? 1 : 0;
}

void CGraphicShow::setCentreModes(std::vector<std::int32_t> modes)
{
    m_centreModes = std::move(modes);
}

void CGraphicShow::setTravelMarks(std::vector<bool> marks)
{
    m_travelMarks = std::move(marks);
}

void CGraphicShow::setSpeeds(std::vector<Speeds> speeds)
{
    m_speeds = std::move(speeds);
    updateMotion();
    if (m_fitted)
        m_view = fittedView(); // the legend may have grown or shrunk
    update();
}

void CGraphicShow::setSpeedColouring(bool on)
{
    if (on == m_speedColouring)
        return;
    m_speedColouring = on;
    if (m_fitted)
        m_view = fittedView();
    update();
}

QColor CGraphicShow::segmentColour(int segment) const
{
    if (segment < 1 || static_cast<std::size_t>(segment) > m_primitives.size())
        return {};
    const auto i = static_cast<std::size_t>(segment - 1);
    if (m_primitives[i].travel)
        return kTravel;
    if (!m_speedColouring)
        return kSegment;
    return m_motion[i].timed() ? m_speedColours[i] : kUntimed;
}

void CGraphicShow::updateMotion()
{
    m_motion.clear();
    m_speedColours.clear();
    m_motion.reserve(m_primitives.size());
    for (std::size_t i = 0; i < m_primitives.size(); ++i) {
        const pos::TrajectoryPrimitive &p = m_primitives[i];
        const Speeds s = i < m_speeds.size() ? m_speeds[i] : Speeds{};
        pos::SegmentMotion m
            = pos::ProfileSegment(pos::DrawnLength(p), s.initialSpeed, s.maxSpeed, s.accDecTime);
        m.segment = static_cast<std::uint32_t>(i + 1);
        m.travel = p.travel;
        m_motion.push_back(m);
    }
    const pos::SpeedRange range = pos::ColouredSpeedRange(m_motion);
    m_anyTimed = range.any;
    m_anyUntimed = range.untimed;
    m_lowSpeed = range.low;
    m_highSpeed = range.high;
    m_speedColours.reserve(m_motion.size());
    for (const pos::SegmentMotion &m : m_motion)
        m_speedColours.push_back(m.timed() ? SpeedQColor(m.peakSpeed, m_lowSpeed, m_highSpeed)
                                           : kUntimed);
}

QRect CGraphicShow::legendRect() const
{
    if (!m_speedColouring || (!m_anyTimed && !m_anyUntimed))
        return {}; // nothing coloured: nothing to explain
    const QFontMetricsF metrics(m_labelFont);
    const double line = metrics.height();
    double contentWidth = metrics.horizontalAdvance(m_legendTitle);
    double contentHeight = line;
    if (m_anyTimed) {
        const double numbers
            = metrics.horizontalAdvance(QString::number(std::llround(m_lowSpeed)))
              + metrics.horizontalAdvance(QString::number(std::llround(m_highSpeed)))
              + 2.0 * kLegendPadding;
        contentWidth = std::max({contentWidth, kLegendBarWidth, numbers});
        contentHeight += kLegendGap + kLegendBarHeight + kLegendGap + line;
    }
    if (m_anyUntimed) {
        contentWidth = std::max(contentWidth, kLegendSwatch + kLegendPadding
                                                  + metrics.horizontalAdvance(m_noTimeText));
        contentHeight += kLegendGap + line;
    }
    const int w = static_cast<int>(std::ceil(contentWidth + 2.0 * kLegendPadding)) + 1;
    const int h = static_cast<int>(std::ceil(contentHeight + 2.0 * kLegendPadding));
    const int margin = static_cast<int>(kOverlayMargin);
    const QRect box(width() - margin - w, margin, w, h);
    // Never over the scale bar or the point under the mouse.
    if (box.left() < margin || box.bottom() >= overlayRect().top())
        return {};
    return box;
}

pos::ViewTransform CGraphicShow::fittedView() const
{
    // The picture keeps below the legend when there is room for both.
    const QRect legend = legendRect();
    const double below = legend.isEmpty() ? 0.0 : legend.bottom() + 1.0 - kMargin / 2.0;
    const double h = height();
    if (below <= 0.0 || h - below < 4.0 * kMargin)
        return pos::FitView(m_bounds, width(), h, kMargin);
    return pos::Pan(pos::FitView(m_bounds, width(), h - below, kMargin), 0.0, below);
}

void CGraphicShow::ShowPrimitives(std::vector<pos::TrajectoryPrimitive> primitives)
{
    m_inputs.clear();
    m_builtActionMode = -1; // the next DrawTrajectory builds its chain again
    m_preview.reset();
    takePrimitives(std::move(primitives));
    m_current = 0;
    m_fitted = true;
    m_view = fittedView();
    setHover(0);
    update();
}

void CGraphicShow::setPreview(const pos::TrajectoryInput &segment, pos::Vec2 begin)
{
    pos::TrajectoryInput typed = segment;
    typed.travel = false;
    std::vector<pos::TrajectoryPrimitive> built;
    if (m_actionMode == 1) {
        // Built behind a move to begin, so that the arc is formed from the
        // very whole-number points that the page checks.
        pos::TrajectoryInput lead;
        lead.type = 1;
        lead.endX = WholeUnits(begin.x);
        lead.endY = WholeUnits(begin.y);
        const std::array<pos::TrajectoryInput, 2> chain{lead, typed};
        built = pos::BuildTrajectory(chain, 1);
    } else {
        built = pos::BuildTrajectory(std::span(&typed, 1), 0);
        if (!built.empty()) {
            pos::TrajectoryPrimitive &p = built.back();
            for (pos::Vec2 *v : {&p.start, &p.end, &p.centre}) {
                v->x += begin.x;
                v->y += begin.y;
            }
        }
    }
    if (built.empty()) {
        clearPreview();
        return;
    }
    m_preview = built.back();
    m_preview->segment = 0;
    updateBounds();
    if (m_fitted)
        m_view = fittedView();
    update();
}

void CGraphicShow::clearPreview()
{
    if (!m_preview)
        return;
    m_preview.reset();
    updateBounds();
    if (m_fitted)
        m_view = fittedView();
    update();
}

pos::Vec2 CGraphicShow::segmentEnd(int segment) const
{
    if (segment < 1 || static_cast<std::size_t>(segment) > m_primitives.size())
        return {};
    return m_primitives[static_cast<std::size_t>(segment - 1)].end;
}

pos::BoundingBox CGraphicShow::visibleArea() const
{
    pos::BoundingBox area;
    area.add(m_view.toWorld({0.0, static_cast<double>(height())}));
    area.add(m_view.toWorld({static_cast<double>(width()), 0.0}));
    return area;
}

double CGraphicShow::scaleBarLength() const
{
    const double most = std::min(kScaleBarMaxPixels, width() * kScaleBarShare);
    if (most < kScaleBarMinPixels)
        return 0.0;
    return RoundScaleLength(m_view.scale, most);
}

std::optional<pos::Vec2> CGraphicShow::cursorPosition() const
{
    if (!m_mouseKnown || !QRectF(rect()).contains(m_lastMousePos))
        return std::nullopt;
    return m_view.toWorld({m_lastMousePos.x(), m_lastMousePos.y()});
}

QString CGraphicShow::cursorText() const
{
    const std::optional<pos::Vec2> at = cursorPosition();
    if (!at)
        return {};
    return m_cursorFormat.arg(CoordinateText(at->x), CoordinateText(at->y));
}

QSize CGraphicShow::sizeHint() const
{
    return {320, 320};
}

QSize CGraphicShow::minimumSizeHint() const
{
    return {80, 80};
}

void CGraphicShow::fitToWindow()
{
    m_fitted = true;
    m_view = fittedView();
    if (m_mouseKnown && underMouse())
        updateHoverAt(m_lastMousePos);
    update();
}

void CGraphicShow::zoomBy(double steps, QPointF about)
{
    const double fit = fitScale();
    const double target = std::clamp(m_view.scale * std::pow(kZoomPerStep, steps),
                                     fit * kMinZoomOut, std::max(fit, kMaxPixelsPerUnit));
    const double factor = target / m_view.scale;
    if (factor == 1.0)
        return;
    m_view = pos::ZoomAbout(m_view, factor, {about.x(), about.y()});
    m_fitted = false;
    update();
}

void CGraphicShow::panBy(double dx, double dy)
{
    m_view = pos::Pan(m_view, dx, dy);
    m_fitted = false;
    update();
}

void CGraphicShow::rebuild()
{
    takePrimitives(pos::BuildTrajectory(m_inputs, m_actionMode));
    m_builtActionMode = m_actionMode;
}

void CGraphicShow::takePrimitives(std::vector<pos::TrajectoryPrimitive> primitives)
{
    m_primitives = std::move(primitives);
    m_chainBounds = pos::TrajectoryBounds(m_primitives);
    updateMotion();
    updateBounds();
    m_labels.clear();
    m_labels.reserve(m_primitives.size());
    for (std::size_t i = 0; i < m_primitives.size(); ++i) {
        m_labels.emplace_back(QString::number(i + 1));
        m_labels.back().setPerformanceHint(QStaticText::AggressiveCaching);
        m_labels.back().prepare(QTransform(), m_labelFont);
    }
}

void CGraphicShow::updateBounds()
{
    m_bounds = m_chainBounds;
    if (!m_preview)
        return;
    const pos::BoundingBox b = pos::PrimitiveBounds(*m_preview);
    if (b.empty)
        return;
    m_bounds.add({b.minX, b.minY});
    m_bounds.add({b.maxX, b.maxY});
}

void CGraphicShow::setTexts()
{
    m_axisX = tr("X");
    m_axisY = tr("Y");
    //: The point under the mouse in the trajectory view, in whole drawing units.
    m_cursorFormat = tr("X: %1  Y: %2");
    m_legendTitle = pos::ui::Str(pos::sid::SvgSpeedLegend);
    //: In the speed legend of the trajectory view: a black segment has no time,
    //: as its maximum speed is 0 or below its initial speed.
    m_noTimeText = tr("no time");
    setAccessibleName(tr("Trajectory view"));
    setAccessibleDescription(
        tr("Plus and minus zoom, 0 shows the whole outline, the arrow keys move the view."));
}

void CGraphicShow::updateFonts()
{
    m_labelFont = font();
    if (m_labelFont.pointSizeF() > 0.0)
        m_labelFont.setPointSizeF(m_labelFont.pointSizeF() * 0.85);
    for (QStaticText &label : m_labels)
        label.prepare(QTransform(), m_labelFont);
}

double CGraphicShow::fitScale() const
{
    return fittedView().scale;
}

QString CGraphicShow::segmentText(int segment) const
{
    if (segment < 1 || static_cast<std::size_t>(segment) > m_primitives.size())
        return {};
    const auto index = static_cast<std::size_t>(segment - 1);
    const pos::TrajectoryPrimitive &p = m_primitives[index];
    if (m_builtActionMode == 0 && index < m_inputs.size()) {
        const pos::TrajectoryInput &in = m_inputs[index];
        const pos::Vec2 lands = p.end;
        //: Hovering a segment in incremental mode: its number, its end point as entered
        //: (relative to where the segment begins) and where it ends on the drawing.
        return tr("%1: (%2, %3) relative, ends at (%4, %5)")
            .arg(segment)
            .arg(in.endX)
            .arg(in.endY)
            .arg(static_cast<qint64>(std::llround(lands.x)))
            .arg(static_cast<qint64>(std::llround(lands.y)));
    }
    //: Hovering a segment of the trajectory: its number and where it ends (X, Y).
    return tr("%1: (%2, %3)")
        .arg(segment)
        .arg(static_cast<qint64>(std::llround(p.end.x)))
        .arg(static_cast<qint64>(std::llround(p.end.y)));
}

void CGraphicShow::setHoveredSegment(int segment)
{
    setHover(segment, false);
}

void CGraphicShow::setHover(int segment, bool byMouse)
{
    const QString text = segmentText(segment);
    if (text.isEmpty())
        segment = 0; // nothing drawn there: no segment hovered
    if (segment == m_hovered && text == m_hoverText)
        return;
    m_hovered = segment;
    m_hoverText = text;
    // A tooltip follows the mouse over this view, not a hover set from outside.
    if (byMouse && QToolTip::isVisible()) {
        if (m_hoverText.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(mapToGlobal(m_lastMousePos.toPoint()), m_hoverText, this);
    }
    emit hoverChanged(m_hovered, m_hoverText);
    update();
}

void CGraphicShow::updateHoverAt(QPointF pos)
{
    const pos::Vec2 world = m_view.toWorld({pos.x(), pos.y()});
    const int index = pos::HitTest(m_primitives, world, kHoverPixels / m_view.scale);
    setHover(index + 1);
}

bool CGraphicShow::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        m_lastMousePos = help->pos();
        m_mouseKnown = true;
        updateHoverAt(help->pos());
        if (m_hoverText.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), m_hoverText, this);
        }
        return true;
    }
    return QWidget::event(e);
}

void CGraphicShow::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::LanguageChange) {
        setTexts();
        if (m_fitted)
            m_view = fittedView();
        m_hoverText = segmentText(m_hovered);
        emit hoverChanged(m_hovered, m_hoverText);
        update();
    } else if (e->type() == QEvent::FontChange) {
        updateFonts();
        if (m_fitted)
            m_view = fittedView();
        update();
    }
    QWidget::changeEvent(e);
}

void CGraphicShow::resizeEvent(QResizeEvent *e)
{
    if (m_fitted || !e->oldSize().isValid()) {
        m_view = fittedView();
    } else {
        // Keep what was in the middle of the window in the middle.
        const QSize d = e->size() - e->oldSize();
        m_view = pos::Pan(m_view, d.width() / 2.0, d.height() / 2.0);
    }
    QWidget::resizeEvent(e);
}

void CGraphicShow::wheelEvent(QWheelEvent *e)
{
    const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    if (delta == 0) {
        e->ignore();
        return;
    }
    const QPointF at = e->position();
    zoomBy(delta / 120.0, at);
    m_lastMousePos = at;
    m_mouseKnown = true;
    updateHoverAt(at);
    e->accept();
}

void CGraphicShow::keyPressEvent(QKeyEvent *e)
{
    // Shortcuts of the window around go by.
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(e);
        return;
    }
    const double stepX = std::max(kKeyPanMinPixels, width() * kKeyPanShare);
    const double stepY = std::max(kKeyPanMinPixels, height() * kKeyPanShare);
    const QPointF middle(width() / 2.0, height() / 2.0);
    // An arrow shows more of what lies that way: the picture moves the other way.
    switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: // + without Shift on many keyboards
        zoomBy(1.0, middle);
        break;
    case Qt::Key_Minus:
        zoomBy(-1.0, middle);
        break;
    case Qt::Key_0:
        fitToWindow();
        break;
    case Qt::Key_Left:
        panBy(stepX, 0.0);
        break;
    case Qt::Key_Right:
        panBy(-stepX, 0.0);
        break;
    case Qt::Key_Up:
        panBy(0.0, stepY);
        break;
    case Qt::Key_Down:
        panBy(0.0, -stepY);
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    if (m_mouseKnown && underMouse())
        updateHoverAt(m_lastMousePos);
    e->accept();
}

void CGraphicShow::focusInEvent(QFocusEvent *e)
{
    update(); // the focus frame
    QWidget::focusInEvent(e);
}

void CGraphicShow::focusOutEvent(QFocusEvent *e)
{
    update();
    QWidget::focusOutEvent(e);
}

void CGraphicShow::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        m_dragging = true;
        m_lastDragPos = e->position();
        setCursor(Qt::ClosedHandCursor);
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void CGraphicShow::mouseMoveEvent(QMouseEvent *e)
{
    const QPointF at = e->position();
    m_lastMousePos = at;
    m_mouseKnown = true;
    if (m_dragging && (e->buttons() & Qt::LeftButton)) {
        const QPointF d = at - m_lastDragPos;
        m_lastDragPos = at;
        if (!d.isNull())
            panBy(d.x(), d.y());
    }
    updateHoverAt(at);
    update(overlayRect()); // the point under the mouse
    e->accept();
}

void CGraphicShow::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && m_dragging) {
        m_dragging = false;
        unsetCursor();
        e->accept();
        return;
    }
    QWidget::mouseReleaseEvent(e);
}

void CGraphicShow::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        fitToWindow();
        e->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(e);
}

void CGraphicShow::leaveEvent(QEvent *e)
{
    m_mouseKnown = false;
    setHover(0);
    update(overlayRect());
    QWidget::leaveEvent(e);
}

void CGraphicShow::paintPrimitive(QPainter &painter, const pos::TrajectoryPrimitive &p,
                                  const pos::BoundingBox &clip)
{
    m_flat.clear();
    pos::FlattenForView(p, m_view, clip, kTolerance, m_flat);
    m_points.clear();
    for (const pos::Vec2 &v : m_flat.points)
        m_points.push_back(ToQt(v));
    std::size_t begin = 0;
    for (std::size_t end : m_flat.runEnds) {
        if (end > begin + 1)
            painter.drawPolyline(m_points.data() + begin, static_cast<int>(end - begin));
        begin = end;
    }
}

bool CGraphicShow::markerPlace(const pos::TrajectoryPrimitive &p, double minPixels, QPointF &mid,
                               QPointF &dir) const
{
    if (!(pos::DrawnLength(p) * m_view.scale >= minPixels))
        return false;
    const pos::Vec2 m = m_view.toView(pos::PointAt(p, 0.5));
    if (m.x < -kClipSlack || m.y < -kClipSlack || m.x > width() + kClipSlack
        || m.y > height() + kClipSlack)
        return false;
    const pos::Vec2 d = pos::DirectionAt(p, 0.5);
    if (d.x == 0.0 && d.y == 0.0)
        return false;
    mid = ToQt(m);
    dir = QPointF(d.x, -d.y); // view Y runs downwards
    return true;
}

void CGraphicShow::paintArrow(QPainter &painter, const pos::TrajectoryPrimitive &p, double size,
                              const QColor &colour)
{
    QPointF m;
    QPointF dir;
    if (!markerPlace(p, kArrowMinPixels, m, dir))
        return;
    // Arrows piled on each other tell nothing: the first one placed wins.
    for (const QPointF &placed : m_placedArrows) {
        const QPointF d = placed - m;
        if (d.x() * d.x() + d.y() * d.y() < kArrowSpacing * kArrowSpacing)
            return;
    }
    m_placedArrows.push_back(m);
    // The arrow points the way the PLC travels; a thicker line needs a
    // larger head (size) to show.
    const QPointF normal(-dir.y(), dir.x());
    const double k = size;
    const QPointF head[3] = {m + dir * (6.0 * k), m - dir * (5.0 * k) + normal * (4.5 * k),
                             m - dir * (5.0 * k) - normal * (4.5 * k)};
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(head, 3);
}

void CGraphicShow::paintLabel(QPainter &painter, std::size_t index, const QColor &colour)
{
    QPointF m;
    QPointF dir;
    if (!markerPlace(m_primitives[index], kLabelMinPixels, m, dir))
        return;
    // The number sits beside the arrow: outside an arc, left of a line.
    const pos::TrajectoryPrimitive &p = m_primitives[index];
    QPointF side(dir.y(), -dir.x());
    if (p.kind == pos::PrimitiveKind::Arc && p.radius > 0.0) {
        const pos::Vec2 w = pos::PointAt(p, 0.5);
        side = QPointF((w.x - p.centre.x) / p.radius, -(w.y - p.centre.y) / p.radius);
    }
    const QStaticText &label = m_labels[index];
    const QSizeF size = label.size();
    const QRectF inside = QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0);
    // Beside the segment, else on its other side; a number that would be
    // cut by the window's edge or sit on another one is left out.
    QRectF box;
    bool placed = false;
    // Far enough out along side that the box clears the line and the arrow.
    const double away = 6.0 + std::fabs(side.x()) * size.width() / 2.0
                        + std::fabs(side.y()) * size.height() / 2.0;
    for (const double sign : {1.0, -1.0}) {
        const QPointF at = m + side * (sign * away);
        box = QRectF(at.x() - size.width() / 2.0, at.y() - size.height() / 2.0, size.width(),
                     size.height());
        if (!inside.contains(box))
            continue;
        placed = std::none_of(m_placedLabels.begin(), m_placedLabels.end(),
                              [&box](const QRectF &r) { return r.intersects(box); });
        if (placed)
            break;
    }
    if (!placed)
        return;
    m_placedLabels.push_back(box);
    painter.setPen(colour);
    painter.drawStaticText(box.topLeft(), label);
}

QRect CGraphicShow::overlayRect() const
{
    // The bottom strip that holds the scale bar and the point under the
    // mouse, with room for both on lines of their own.
    const int strip = static_cast<int>(
        std::ceil(4.0 * QFontMetricsF(m_labelFont).height() + 3.0 * kOverlayMargin));
    return {0, height() - strip, width(), strip};
}

void CGraphicShow::paintPreview(QPainter &painter, const pos::BoundingBox &clip)
{
    if (!m_preview)
        return;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kPreview, 2.0, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin));
    paintPrimitive(painter, *m_preview, clip);
    // Where it would end: a ring, seen even when the segment has no length.
    const pos::Vec2 end = m_view.toView(pos::DrawnEnd(*m_preview));
    if (clip.contains(end)) {
        painter.setPen(QPen(kPreview, 1.5));
        painter.drawEllipse(ToQt(end), 3.5, 3.5);
    }
}

void CGraphicShow::paintOverlay(QPainter &painter)
{
    painter.setFont(m_labelFont);
    const QFontMetricsF metrics(m_labelFont);
    const double lineHeight = metrics.height();
    const double bottom = height() - kOverlayMargin;

    // The scale bar: a round length with its number above it.
    QRectF barBox;
    const double length = scaleBarLength();
    const double pixels = length * m_view.scale;
    if (length > 0.0 && std::isfinite(pixels)) {
        const QString label = QString::number(length, 'g', 15);
        const double x0 = std::floor(kOverlayMargin) + 0.5;
        const double y = std::floor(bottom) - 0.5;
        const double labelWidth = metrics.horizontalAdvance(label);
        const QRectF labelBox(x0 + std::max(0.0, (pixels - labelWidth) / 2.0), y - 5.0 - lineHeight,
                              labelWidth, lineHeight);
        barBox = QRectF(x0 - 3.0, labelBox.top() - 1.0, std::max(pixels, labelWidth) + 6.0,
                        y + 3.0 - labelBox.top() + 1.0);
        painter.fillRect(barBox, kOverlayBack);
        painter.setPen(QPen(kScaleBar, 1.0, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(x0, y), QPointF(x0 + pixels, y));
        painter.drawLine(QPointF(x0, y - 4.0), QPointF(x0, y));
        painter.drawLine(QPointF(x0 + pixels, y - 4.0), QPointF(x0 + pixels, y));
        painter.drawText(labelBox, Qt::AlignCenter, label);
    }

    // The point under the mouse, bottom right; above the scale bar when the
    // window is too narrow for both on one line.
    const QString cursor = cursorText();
    if (!cursor.isEmpty()) {
        const double textWidth = metrics.horizontalAdvance(cursor);
        QRectF box(std::max(kOverlayMargin, width() - kOverlayMargin - textWidth),
                   bottom - lineHeight, textWidth, lineHeight);
        if (!barBox.isNull() && box.adjusted(-3.0, 0.0, 0.0, 0.0).intersects(barBox))
            box.moveBottom(barBox.top() - 2.0);
        painter.fillRect(box.adjusted(-3.0, -1.0, 3.0, 1.0), kOverlayBack);
        painter.setPen(kLabel);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, cursor);
    }

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void CGraphicShow::paintEvent(QPaintEvent *e)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double w = width();
    const double h = height();
    painter.fillRect(e->rect(), kBackground);

    // Only what the paint asks for is flattened: moving the mouse repaints
    // the bottom strip alone.
    const QRectF asked = QRectF(e->rect()).intersected(QRectF(rect()));
    pos::BoundingBox clip;
    clip.add({asked.left() - kClipSlack, asked.top() - kClipSlack});
    clip.add({asked.right() + kClipSlack, asked.bottom() + kClipSlack});

    // Axes through the origin, on pixel centres so that they stay crisp,
    // with their names at the positive ends.
    const QPointF o = ToQt(m_view.toView({0.0, 0.0}));
    painter.setFont(m_labelFont);
    painter.setPen(QPen(kAxis, 1.0));
    if (o.y() >= 0.0 && o.y() <= h) {
        const double y = std::floor(o.y()) + 0.5;
        painter.drawLine(QPointF(0.0, y), QPointF(w, y));
        painter.drawText(QRectF(w - 22.0, y - 18.0, 18.0, 16.0), Qt::AlignCenter, m_axisX);
    }
    if (o.x() >= 0.0 && o.x() <= w) {
        const double x = std::floor(o.x()) + 0.5;
        painter.drawLine(QPointF(x, 0.0), QPointF(x, h));
        painter.drawText(QRectF(x + 3.0, 2.0, 18.0, 16.0), Qt::AlignCenter, m_axisY);
    }

    const std::size_t n = m_primitives.size();
    const std::size_t current = m_current >= 1 && static_cast<std::size_t>(m_current) <= n
                                    ? static_cast<std::size_t>(m_current - 1)
                                    : n;
    const std::size_t hovered = m_hovered >= 1 && static_cast<std::size_t>(m_hovered) <= n
                                    ? static_cast<std::size_t>(m_hovered - 1)
                                    : n;

    // Dense chains get hairlines: they are clearer and several times faster
    // to rasterise than wider antialiased strokes.
    painter.setBrush(Qt::NoBrush);
    const double thin = n > 64 ? 1.0 : 1.6;
    // Travel moves cut nothing: dashed, and grey unless they are picked out.
    const auto penFor = [this](std::size_t i, const QColor &colour, double penWidth) {
        const bool travel = m_primitives[i].travel;
        return QPen(colour, penWidth, travel ? Qt::DashLine : Qt::SolidLine,
                    travel ? Qt::FlatCap : Qt::RoundCap, Qt::RoundJoin);
    };
    const auto colourOf = [this](std::size_t i) { return segmentColour(static_cast<int>(i) + 1); };
    for (std::size_t i = 0; i < n; ++i) {
        if (i != current && i != hovered) {
            painter.setPen(penFor(i, colourOf(i), thin));
            paintPrimitive(painter, m_primitives[i], clip);
        }
    }
    // Coloured by speed, the hovered and the current segment keep their
    // colour, picked out by a halo beneath; else they take a colour of their own.
    const auto pickOut
        = [&](std::size_t i, const QColor &colour, const QColor &halo, double penWidth) {
              if (m_speedColouring) {
                  painter.setPen(penFor(i, halo, penWidth + 5.0));
                  paintPrimitive(painter, m_primitives[i], clip);
                  painter.setPen(penFor(i, colourOf(i), penWidth));
              } else {
                  painter.setPen(penFor(i, colour, penWidth));
              }
              paintPrimitive(painter, m_primitives[i], clip);
          };
    if (hovered < n && hovered != current)
        pickOut(hovered, kHover, kHoverHalo, 2.4);
    if (current < n)
        pickOut(current, kCurrent, kCurrentHalo, 3.2);
    // The segment being typed, over the one it replaces.
    paintPreview(painter, clip);

    // Arrows on top of their lines; the current segment's, the preview's and
    // the hovered segment's claim their place first.
    m_placedArrows.clear();
    if (current < n)
        paintArrow(painter, m_primitives[current], 1.4,
                   m_speedColouring ? colourOf(current) : kCurrent);
    if (m_preview)
        paintArrow(painter, *m_preview, 1.2, kPreview);
    if (hovered < n && hovered != current)
        paintArrow(painter, m_primitives[hovered], 1.0,
                   m_speedColouring ? colourOf(hovered) : kHover);
    for (std::size_t i = 0; i < n; ++i) {
        if (i != current && i != hovered)
            paintArrow(painter, m_primitives[i], 1.0, colourOf(i));
    }

    // Numbers; the current and the hovered segment's claim their place
    // first, and none goes under the legend.
    m_placedLabels.clear();
    const QRect legend = legendRect();
    if (!legend.isEmpty())
        m_placedLabels.push_back(QRectF(legend));
    painter.setFont(m_labelFont);
    if (current < n)
        paintLabel(painter, current, kCurrent);
    if (hovered < n && hovered != current)
        paintLabel(painter, hovered, kLabel);
    for (std::size_t i = 0; i < n; ++i) {
        if (i != current && i != hovered)
            paintLabel(painter, i, kLabel);
    }

    // The origin, and the start point of the chain on it.
    if (clip.contains({o.x(), o.y()})) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kOrigin, 1.2));
        painter.drawEllipse(o, 6.5, 6.5);
    }
    if (n > 0) {
        const pos::Vec2 start = m_view.toView(m_primitives.front().start);
        if (clip.contains(start)) {
            painter.setPen(QPen(Qt::white, 1.0));
            painter.setBrush(kStart);
            painter.drawEllipse(ToQt(start), 4.0, 4.0);
        }
    }

    paintLegend(painter);
    paintOverlay(painter);
}

void CGraphicShow::paintLegend(QPainter &painter)
{
    const QRect box = legendRect();
    if (box.isEmpty())
        return;
    const QFontMetricsF metrics(m_labelFont);
    const double line = metrics.height();
    painter.setFont(m_labelFont);
    painter.setPen(QPen(kAxis, 1.0));
    painter.setBrush(kOverlayBack);
    painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    const double x = box.left() + kLegendPadding;
    const double w = box.width() - 2.0 * kLegendPadding;
    double y = box.top() + kLegendPadding;
    painter.setPen(kLabel);
    painter.drawText(QRectF(x, y, w, line), Qt::AlignLeft | Qt::AlignVCenter, m_legendTitle);
    y += line;
    if (m_anyTimed) {
        // The scale is linear between five colours: a gradient through them
        // is the scale itself.
        y += kLegendGap;
        QLinearGradient bar(x, 0.0, x + w, 0.0);
        for (int k = 0; k <= 4; ++k) {
            const double f = k / 4.0;
            bar.setColorAt(f, SpeedQColor(m_lowSpeed + f * (m_highSpeed - m_lowSpeed), m_lowSpeed,
                                          m_highSpeed));
        }
        painter.fillRect(QRectF(x, y, w, kLegendBarHeight), bar);
        y += kLegendBarHeight + kLegendGap;
        const QString high = QString::number(std::llround(m_highSpeed));
        painter.drawText(QRectF(x, y, w, line), Qt::AlignRight | Qt::AlignVCenter, high);
        if (m_highSpeed > m_lowSpeed)
            painter.drawText(QRectF(x, y, w, line), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::number(std::llround(m_lowSpeed)));
        y += line;
    }
    if (m_anyUntimed) {
        y += kLegendGap;
        painter.setPen(QPen(kUntimed, 2.0, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(x, y + line / 2.0), QPointF(x + kLegendSwatch, y + line / 2.0));
        painter.setPen(kLabel);
        painter.drawText(
            QRectF(x + kLegendSwatch + kLegendPadding, y, w - kLegendSwatch - kLegendPadding, line),
            Qt::AlignLeft | Qt::AlignVCenter, m_noTimeText);
    }
}
