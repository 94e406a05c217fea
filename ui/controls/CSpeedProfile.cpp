#include "controls/CSpeedProfile.h"

#include "geometry/TrajectorySvg.h"
#include "res/UiText.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEdge = 6.0;          // pixels kept free along the widget's edges
constexpr double kGap = 3.0;           // between rows of text
constexpr double kTick = 4.0;          // length of a tick mark
constexpr double kLabelSpacing = 14.0; // at least between two time labels
constexpr double kSpeedSpacing = 2.5;  // lines of text, at least, between two speed ticks
constexpr int kMostTicks = 200;        // on either axis, whatever the numbers
constexpr std::size_t kMostNamed = 8;  // segments named in the message, then "…"

const QColor kBackground(250, 250, 247);
const QColor kShade(236, 236, 230);
const QColor kHighlight(255, 214, 160);
const QColor kSeparator(205, 205, 198);
const QColor kGrid(228, 228, 222);
const QColor kAxis(120, 120, 120);
const QColor kLabel(95, 95, 95);
const QColor kCurve(58, 110, 165); // the trajectory view's segment colour
const QColor kTravel(140, 140, 140);
const QColor kHighlightText(180, 80, 10);

QString Number(double value, int decimals)
{
    if (std::fabs(value) < 0.5 * std::pow(10.0, -decimals))
        value = 0.0; // no "-0.0"
    return QString::number(value, 'f', decimals);
}

// Decimals that tell ticks a step apart.
int Decimals(double step)
{
    if (!(step > 0.0) || step >= 1.0)
        return 0;
    return std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 12);
}

} // namespace

double RoundTickStep(double least)
{
    if (!(least > 0.0) || !std::isfinite(least))
        return 0.0;
    const double decade = std::pow(10.0, std::floor(std::log10(least)));
    // log10 may land a hair off an exact power: the pick below is never less.
    for (const double base : {1.0, 2.0, 5.0, 10.0, 20.0}) {
        const double step = base * decade;
        if (step >= least * (1.0 - 1e-12))
            return std::isfinite(step) ? step : 0.0;
    }
    return 0.0;
}

CSpeedProfile::CSpeedProfile(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setTexts();
    layOut();
}

CSpeedProfile::~CSpeedProfile() = default;

void CSpeedProfile::setMotion(std::vector<pos::SegmentMotion> motion)
{
    m_motion = std::move(motion);
    m_starts = pos::SegmentStartTimes(m_motion);
    m_totalTime = 0.0;
    m_lowPeak = m_highPeak = 0.0;
    bool anyTimed = false;
    for (const pos::SegmentMotion &m : m_motion) {
        if (!m.timed())
            continue;
        m_totalTime += m.time;
        m_lowPeak = anyTimed ? std::min(m_lowPeak, m.peakSpeed) : m.peakSpeed;
        m_highPeak = anyTimed ? std::max(m_highPeak, m.peakSpeed) : m.peakSpeed;
        anyTimed = true;
    }
    if (!std::isfinite(m_totalTime) || !std::isfinite(m_highPeak))
        m_totalTime = 0.0; // nothing that could be drawn to scale
    layOut();
    update();
    if (m_highlighted != 0) {
        m_highlighted = 0;
        emit highlightChanged(0);
    }
}

void CSpeedProfile::setSpeedColouring(bool on)
{
    m_speedColouring = on;
    update();
}

int CSpeedProfile::segmentAt(double seconds) const
{
    if (!(m_totalTime > 0.0) || !(seconds >= 0.0) || seconds > m_totalTime)
        return 0;
    int found = 0;
    for (std::size_t i = 0; i < m_motion.size() && m_starts[i] <= seconds; ++i)
        if (m_motion[i].timed() && m_motion[i].time > 0.0)
            found = static_cast<int>(m_motion[i].segment);
    return found;
}

double CSpeedProfile::speedAt(double seconds) const
{
    const int segment = segmentAt(seconds);
    for (std::size_t i = 0; i < m_motion.size(); ++i)
        if (segment != 0 && static_cast<int>(m_motion[i].segment) == segment)
            return pos::SpeedAt(m_motion[i], seconds - m_starts[i]);
    return 0.0;
}

QPointF CSpeedProfile::toPlot(double seconds, double hz) const
{
    if (m_plot.isEmpty())
        return {};
    return {m_plot.left() + seconds / m_totalTime * m_plot.width(),
            m_plot.bottom() - hz / m_topSpeed * m_plot.height()};
}

double CSpeedProfile::secondsAt(double x) const
{
    if (m_plot.isEmpty())
        return 0.0;
    return (x - m_plot.left()) / m_plot.width() * m_totalTime;
}

void CSpeedProfile::setHighlightedSegment(int segment)
{
    const bool drawn
        = std::any_of(m_motion.begin(), m_motion.end(), [segment](const pos::SegmentMotion &m) {
              return static_cast<int>(m.segment) == segment && m.timed() && m.time > 0.0;
          });
    if (!drawn)
        segment = 0;
    if (segment == m_highlighted)
        return;
    m_highlighted = segment;
    update();
    emit highlightChanged(segment);
}

QSize CSpeedProfile::sizeHint() const
{
    return {320, 220};
}

QSize CSpeedProfile::minimumSizeHint() const
{
    return {160, 120};
}

void CSpeedProfile::setTexts()
{
    //: The speed axis of the speed profile: path speed in pulses per second.
    m_speedTitle = tr("Speed (Hz)");
    m_timeTitle = pos::ui::Str(pos::sid::EstimateTime);
    //: Below the speed profile; %1 lists segment numbers, e.g. "3, 5".
    m_noTimeFormat = tr("Not shown, their time cannot be computed: segments %1");
    m_nothingTimed = tr("No speed profile: the time of the segments cannot be computed, as their "
                        "maximum speed is 0 or below their initial speed.");
    m_noSegments = tr("No speed profile: there are no segments, or they have no length.");
    //: Hovering a segment in the speed profile: its number, when it starts,
    //: how long it takes (seconds) and the highest speed it reaches (Hz).
    m_hoverFormat = tr("%1: from %2 s for %3 s, up to %4 Hz");
    setAccessibleName(tr("Speed profile"));
    setAccessibleDescription(tr("The path speed over time, segment after segment."));
}

void CSpeedProfile::layOut()
{
    m_plot = {};
    m_numberRow = {};
    m_curves.clear();
    m_timeTicks.clear();
    m_speedTicks.clear();
    m_numberBoxes.assign(m_motion.size(), QRectF());
    m_speedTitleBox = m_timeTitleBox = m_messageBox = {};
    m_textRects.clear();

    const QFontMetricsF metrics(font());
    const double line = metrics.height();
    const QRectF all = QRectF(rect()).adjusted(kEdge, kEdge, -kEdge, -kEdge);
    const auto textBox = [&metrics](const QString &text) {
        return QRectF(0.0, 0.0, std::ceil(metrics.horizontalAdvance(text)) + 1.0, metrics.height());
    };

    // What cannot be drawn is said.
    QStringList untimed;
    std::size_t named = 0;
    for (const pos::SegmentMotion &m : m_motion) {
        if (m.timed())
            continue;
        if (named++ == kMostNamed) {
            untimed << QStringLiteral("…");
            break;
        }
        untimed << QString::number(m.segment);
    }
    if (!(m_totalTime > 0.0))
        m_message = untimed.isEmpty() ? m_noSegments : m_nothingTimed;
    else
        m_message = untimed.isEmpty() ? QString()
                                      : m_noTimeFormat.arg(untimed.join(QStringLiteral(", ")));
    const int wrap = Qt::TextWordWrap;
    if (!(m_totalTime > 0.0)) {
        m_messageBox = metrics.boundingRect(all, Qt::AlignCenter | wrap, m_message);
        m_textRects << m_messageBox;
        return;
    }
    double bottom = all.bottom();
    if (!m_message.isEmpty()) {
        const QRectF need = metrics.boundingRect(QRectF(all.left(), 0.0, all.width(), 1e6),
                                                 Qt::AlignLeft | wrap, m_message);
        m_messageBox = QRectF(all.left(), bottom - need.height(), all.width(), need.height());
        bottom = m_messageBox.top() - kGap;
    }

    // Rows from the bottom: the time axis' title, its labels, the ticks; from
    // the top: the speed axis' title, the segment numbers.
    const double timeTitleTop = bottom - line;
    const double timeLabelTop = timeTitleTop - kGap - line;
    const double plotBottom = timeLabelTop - kTick - 1.0;
    m_speedTitleBox = textBox(m_speedTitle).translated(all.topLeft());
    const double numberTop = m_speedTitleBox.bottom() + kGap;
    const double plotTop = numberTop + line + kGap;
    const double plotHeight = plotBottom - plotTop;
    if (plotHeight < 2.0 * line || all.width() < 8.0 * line)
        return; // too small to plot anything readable

    // Speed ticks at least a few lines apart, up to a round speed at or
    // above the highest peak.
    const int speedSlots = std::max(1, static_cast<int>(plotHeight / (kSpeedSpacing * line)));
    const double speedStep = RoundTickStep(m_highPeak / speedSlots);
    if (!(speedStep > 0.0))
        return;
    const double rounded = std::ceil(m_highPeak / speedStep - 1e-9) * speedStep;
    m_topSpeed = std::max(rounded, speedStep);
    const int speedDecimals = Decimals(speedStep);
    double labelWidth = 0.0;
    for (int k = 0; k <= kMostTicks && k * speedStep <= m_topSpeed * (1.0 + 1e-12); ++k) {
        Tick tick{k * speedStep, Number(k * speedStep, speedDecimals), {}};
        tick.box = textBox(tick.text);
        labelWidth = std::max(labelWidth, tick.box.width());
        m_speedTicks.push_back(tick);
    }
    const double speedLeft = all.left() + labelWidth + kGap + kTick;

    // Time ticks as close as their labels allow; the first and the last
    // label reach half their width past the plot.
    double step = 0.0;
    double timeLabelWidth = textBox(Number(m_totalTime, 3)).width();
    double plotLeft = speedLeft;
    double plotRight = all.right();
    for (int round = 0; round < 4; ++round) {
        plotLeft = std::max(speedLeft, all.left() + timeLabelWidth / 2.0);
        plotRight = all.right() - timeLabelWidth / 2.0;
        const double pixels = plotRight - plotLeft;
        if (pixels < 2.0 * line)
            return;
        step = RoundTickStep((timeLabelWidth + kLabelSpacing) / pixels * m_totalTime);
        if (!(step > 0.0))
            return;
        const double widest = std::max(textBox(Number(0.0, Decimals(step))).width(),
                                       textBox(Number(m_totalTime, Decimals(step))).width());
        if (widest <= timeLabelWidth)
            break;
        timeLabelWidth = widest;
    }
    m_plot = QRectF(QPointF(plotLeft, plotTop), QPointF(plotRight, plotBottom));
    m_numberRow = QRectF(plotLeft, numberTop, m_plot.width(), line);

    for (Tick &tick : m_speedTicks) {
        // Beside its tick, kept above the time axis' labels and below the numbers.
        const double y = toPlot(0.0, tick.value).y();
        const double top = std::clamp(y - line / 2.0, plotTop - line / 2.0, plotBottom - line);
        tick.box.moveTopLeft(QPointF(plotLeft - kTick - kGap - tick.box.width(), top));
        m_textRects << tick.box;
    }
    const int timeDecimals = Decimals(step);
    for (int k = 0; k <= kMostTicks && k * step <= m_totalTime * (1.0 + 1e-12); ++k) {
        Tick tick{k * step, Number(k * step, timeDecimals), {}};
        tick.box = textBox(tick.text);
        const double x = toPlot(tick.value, 0.0).x();
        tick.box.moveTopLeft(QPointF(x - tick.box.width() / 2.0, timeLabelTop));
        m_textRects << tick.box;
        m_timeTicks.push_back(tick);
    }
    m_timeTitleBox = textBox(m_timeTitle);
    m_timeTitleBox.moveTopLeft(
        QPointF(m_plot.center().x() - m_timeTitleBox.width() / 2.0, timeTitleTop));
    m_textRects << m_speedTitleBox << m_timeTitleBox;
    if (!m_messageBox.isEmpty())
        m_textRects << m_messageBox;

    // Each segment's curve through its speeds at the turns of its profile
    // (start, peak reached, peak left, end), and its number where it fits.
    double lastNumberRight = -1e300;
    for (std::size_t i = 0; i < m_motion.size(); ++i) {
        const pos::SegmentMotion &m = m_motion[i];
        if (!m.timed() || !(m.time > 0.0))
            continue;
        const double start = m_starts[i];
        // Inside the turns, the speed as seen from within the segment: a
        // segment without a ramp jumps to its peak at once.
        const double inside = m.time * 1e-9;
        const std::pair<double, double> turns[]
            = {{0.0, 0.0},
               {m.rampTime, std::clamp(m.rampTime, inside, m.time - inside)},
               {m.time - m.rampTime, std::clamp(m.time - m.rampTime, inside, m.time - inside)},
               {m.time, m.time}};
        QPolygonF curve;
        for (const auto &[at, seen] : turns)
            curve << toPlot(start + at, pos::SpeedAt(m, seen));
        m_curves.push_back(curve);

        const double x0 = toPlot(start, 0.0).x();
        const double x1 = toPlot(start + m.time, 0.0).x();
        QRectF box = textBox(QString::number(m.segment));
        if (box.width() + 2.0 > x1 - x0)
            continue;
        box.moveTopLeft(QPointF((x0 + x1 - box.width()) / 2.0, numberTop));
        if (box.left() < lastNumberRight + 2.0)
            continue;
        lastNumberRight = box.right();
        m_numberBoxes[i] = box;
        m_textRects << box;
    }
}

int CSpeedProfile::segmentUnder(QPointF at) const
{
    if (m_plot.isEmpty() || at.x() < m_plot.left() || at.x() > m_plot.right()
        || at.y() < m_numberRow.top() || at.y() > m_plot.bottom())
        return 0;
    return segmentAt(secondsAt(at.x()));
}

QString CSpeedProfile::segmentText(int segment) const
{
    for (std::size_t i = 0; i < m_motion.size(); ++i) {
        const pos::SegmentMotion &m = m_motion[i];
        if (segment != 0 && static_cast<int>(m.segment) == segment && m.timed())
            return m_hoverFormat.arg(segment).arg(Number(m_starts[i], 4), Number(m.time, 4),
                                                  Number(m.peakSpeed, 0));
    }
    return {};
}

bool CSpeedProfile::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const QString text = segmentText(segmentUnder(help->pos()));
        if (text.isEmpty()) {
            QToolTip::hideText();
            e->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(e);
}

void CSpeedProfile::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::LanguageChange || e->type() == QEvent::FontChange) {
        setTexts();
        layOut();
        update();
    }
    QWidget::changeEvent(e);
}

void CSpeedProfile::resizeEvent(QResizeEvent *e)
{
    layOut();
    QWidget::resizeEvent(e);
}

void CSpeedProfile::mouseMoveEvent(QMouseEvent *e)
{
    setHighlightedSegment(segmentUnder(e->position()));
    e->accept();
}

void CSpeedProfile::leaveEvent(QEvent *e)
{
    setHighlightedSegment(0);
    QWidget::leaveEvent(e);
}

void CSpeedProfile::paintEvent(QPaintEvent *e)
{
    QPainter painter(this);
    painter.fillRect(e->rect(), kBackground);
    painter.setFont(font());
    const int wrap = Qt::TextWordWrap;
    if (m_plot.isEmpty()) {
        painter.setPen(kLabel);
        painter.drawText(m_messageBox, Qt::AlignCenter | wrap, m_message);
        return;
    }

    // The spans, shaded in turn; the highlighted one stands out.
    std::size_t drawn = 0;
    for (std::size_t i = 0; i < m_motion.size(); ++i) {
        const pos::SegmentMotion &m = m_motion[i];
        if (!m.timed() || !(m.time > 0.0))
            continue;
        const double x0 = toPlot(m_starts[i], 0.0).x();
        const double x1 = toPlot(m_starts[i] + m.time, 0.0).x();
        const QRectF span(QPointF(x0, m_plot.top()), QPointF(x1, m_plot.bottom()));
        if (static_cast<int>(m.segment) == m_highlighted)
            painter.fillRect(span, kHighlight);
        else if (drawn % 2 == 1)
            painter.fillRect(span, kShade);
        ++drawn;
    }
    painter.setPen(QPen(kGrid, 1.0));
    for (const Tick &tick : m_speedTicks) {
        const double y = std::floor(toPlot(0.0, tick.value).y()) + 0.5;
        painter.drawLine(QPointF(m_plot.left(), y), QPointF(m_plot.right(), y));
    }
    painter.setPen(QPen(kSeparator, 1.0));
    for (std::size_t i = 1; i < m_motion.size(); ++i) {
        if (!m_motion[i].timed() || !(m_motion[i].time > 0.0))
            continue;
        const double x = std::floor(toPlot(m_starts[i], 0.0).x()) + 0.5;
        painter.drawLine(QPointF(x, m_plot.top()), QPointF(x, m_plot.bottom()));
    }

    // The axes, their ticks and labels.
    painter.setPen(QPen(kAxis, 1.0));
    const double left = std::floor(m_plot.left()) + 0.5;
    const double bottom = std::floor(m_plot.bottom()) + 0.5;
    painter.drawLine(QPointF(left, m_plot.top()), QPointF(left, bottom));
    painter.drawLine(QPointF(left, bottom), QPointF(m_plot.right(), bottom));
    for (const Tick &tick : m_speedTicks) {
        const double y = std::floor(toPlot(0.0, tick.value).y()) + 0.5;
        painter.drawLine(QPointF(left - kTick, y), QPointF(left, y));
    }
    for (const Tick &tick : m_timeTicks) {
        const double x = std::floor(toPlot(tick.value, 0.0).x()) + 0.5;
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + kTick));
    }
    painter.setPen(kLabel);
    for (const std::vector<Tick> *ticks : {&m_speedTicks, &m_timeTicks})
        for (const Tick &tick : *ticks)
            painter.drawText(tick.box, Qt::AlignCenter, tick.text);
    painter.drawText(m_speedTitleBox, Qt::AlignCenter, m_speedTitle);
    painter.drawText(m_timeTitleBox, Qt::AlignCenter, m_timeTitle);
    if (!m_messageBox.isEmpty())
        painter.drawText(m_messageBox, Qt::AlignLeft | wrap, m_message);

    // The curves on top, then the numbers.
    painter.setRenderHint(QPainter::Antialiasing);
    std::size_t curve = 0;
    for (std::size_t i = 0; i < m_motion.size(); ++i) {
        const pos::SegmentMotion &m = m_motion[i];
        if (!m.timed() || !(m.time > 0.0))
            continue;
        QColor colour = kCurve;
        if (m.travel)
            colour = kTravel;
        else if (m_speedColouring)
            colour = QColor(
                QString::fromStdString(pos::SpeedColour(m.peakSpeed, m_lowPeak, m_highPeak)));
        const bool highlighted = static_cast<int>(m.segment) == m_highlighted;
        painter.setPen(QPen(colour, highlighted ? 2.8 : 1.6,
                            m.travel ? Qt::DashLine : Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPolyline(m_curves[curve++]);
    }
    for (std::size_t i = 0; i < m_numberBoxes.size(); ++i) {
        if (m_numberBoxes[i].isEmpty())
            continue;
        const bool highlighted = static_cast<int>(m_motion[i].segment) == m_highlighted;
        painter.setPen(highlighted ? kHighlightText : kLabel);
        painter.drawText(m_numberBoxes[i], Qt::AlignCenter, QString::number(m_motion[i].segment));
    }
}
