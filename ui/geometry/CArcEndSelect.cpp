#include "geometry/CArcEndSelect.h"

#include "geometry/Trajectory.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDrawingSize = 220.0; // pixels of the drawing, square
constexpr double kMargin = 26.0;       // room around the circle for the labels 1 and 2
constexpr double kFarOff = 3.0;        // radii: an entered end point further off goes to the edge
constexpr double kEdgeInset = 5.0;     // pixels between such a point and the edge, past the labels
constexpr double kLegendGap = 6.0;
constexpr double kMarkWidth = 16.0; // the legend's column of marks

const QColor kBackground(250, 250, 247);
const QColor kCircle(165, 165, 165);
const QColor kArc(58, 110, 165);
const QColor kBegin(40, 160, 70);
const QColor kCentre(90, 90, 90);
const QColor kEntered(200, 40, 40);
const QColor kCandidate(225, 105, 20);
const QColor kText(50, 50, 50);

enum Mark { BeginMark, DirectionMark, CentreMark, EnteredMark, CandidateMark };

QPointF ToQt(pos::Vec2 v)
{
    return {v.x, v.y};
}

pos::Vec2 World(QPoint p)
{
    return {static_cast<double>(p.x()), static_cast<double>(p.y())};
}

double Length(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

// An arrowhead at tip pointing along dir (a unit vector).
void PaintArrowHead(QPainter &painter, QPointF tip, QPointF dir)
{
    const QPointF normal(-dir.y(), dir.x());
    const QPointF head[3]
        = {tip + dir * 5.0, tip - dir * 5.0 + normal * 4.5, tip - dir * 5.0 - normal * 4.5};
    painter.setPen(Qt::NoPen);
    painter.setBrush(kArc);
    painter.drawPolygon(head, 3);
    painter.setBrush(Qt::NoBrush);
}

void PaintMark(QPainter &painter, int mark, QPointF at)
{
    switch (mark) {
    case DirectionMark:
        painter.setPen(QPen(kArc, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(at - QPointF(7.0, 0.0), at + QPointF(1.0, 0.0));
        PaintArrowHead(painter, at + QPointF(2.0, 0.0), QPointF(1.0, 0.0));
        break;
    case BeginMark:
        painter.setPen(QPen(Qt::white, 1.0));
        painter.setBrush(kBegin);
        painter.drawEllipse(at, 4.5, 4.5);
        break;
    case CentreMark:
        painter.setPen(QPen(kCentre, 1.4));
        painter.drawLine(at - QPointF(5.0, 0.0), at + QPointF(5.0, 0.0));
        painter.drawLine(at - QPointF(0.0, 5.0), at + QPointF(0.0, 5.0));
        break;
    case EnteredMark:
        painter.setPen(QPen(kEntered, 2.0));
        painter.drawLine(at - QPointF(4.5, 4.5), at + QPointF(4.5, 4.5));
        painter.drawLine(at - QPointF(4.5, -4.5), at + QPointF(4.5, -4.5));
        break;
    default:
        painter.setPen(QPen(Qt::white, 1.0));
        painter.setBrush(kCandidate);
        painter.drawEllipse(at, 5.0, 5.0);
        break;
    }
    painter.setBrush(Qt::NoBrush);
}

// Where the ray from `from` through `to` leaves box; `to` itself when it lies inside.
QPointF KeepInside(QPointF from, QPointF to, const QRectF &box)
{
    if (box.contains(to))
        return to;
    const QPointF d = to - from;
    double t = 1.0;
    if (d.x() > 0.0)
        t = std::min(t, (box.right() - from.x()) / d.x());
    if (d.x() < 0.0)
        t = std::min(t, (box.left() - from.x()) / d.x());
    if (d.y() > 0.0)
        t = std::min(t, (box.bottom() - from.y()) / d.y());
    if (d.y() < 0.0)
        t = std::min(t, (box.top() - from.y()) / d.y());
    return from + d * std::max(t, 0.0);
}

} // namespace

// --- the picture --------------------------------------------------------------

CArcEndPicture::CArcEndPicture(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("arcPicture"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setTexts();
}

void CArcEndPicture::setArc(const pos::ui::ArcEndChoice &arc)
{
    m_arc = arc;
    update();
}

void CArcEndPicture::setTexts()
{
    setAccessibleName(tr("Picture of the arc and its two corrected end points"));
}

std::vector<CArcEndPicture::Legend> CArcEndPicture::legend() const
{
    return {{BeginMark, tr("Begin point")},
            {DirectionMark, tr("Direction of the arc")},
            {CentreMark, tr("Center")},
            {EnteredMark, tr("End point entered")},
            {CandidateMark, tr("Corrected end points 1 and 2")}};
}

double CArcEndPicture::legendHeight() const
{
    const double line = std::max(QFontMetricsF(font()).height(), 14.0);
    return kLegendGap + static_cast<double>(legend().size()) * line + 4.0;
}

QSize CArcEndPicture::sizeHint() const
{
    const QFontMetricsF metrics(font());
    double widest = 0.0;
    for (const Legend &item : legend())
        widest = std::max(widest, metrics.horizontalAdvance(item.text));
    const double width = std::max(kDrawingSize, kMarkWidth + 6.0 + widest + 2.0);
    return {static_cast<int>(std::ceil(width)),
            static_cast<int>(std::ceil(kDrawingSize + legendHeight()))};
}

QSize CArcEndPicture::minimumSizeHint() const
{
    return sizeHint();
}

QRectF CArcEndPicture::drawingArea() const
{
    return {0.0, 0.0, static_cast<double>(width()), height() - legendHeight()};
}

QPointF CArcEndPicture::toView(QPointF world) const
{
    // The circle (and the points on it) fills the drawing; the entered end
    // point joins in when it is near enough not to shrink the circle to a dot.
    const pos::Vec2 centre = World(m_arc.centre);
    const double radius = std::hypot(m_arc.begin.x() - centre.x, m_arc.begin.y() - centre.y);
    pos::BoundingBox box;
    box.add({centre.x - radius, centre.y - radius});
    box.add({centre.x + radius, centre.y + radius});
    for (const QPoint &p : {m_arc.begin, m_arc.candidates[0], m_arc.candidates[1]})
        box.add(World(p));
    const pos::Vec2 entered = World(m_arc.entered);
    if (std::hypot(entered.x - centre.x, entered.y - centre.y) <= kFarOff * std::max(radius, 1.0))
        box.add(entered);
    const QRectF area = drawingArea();
    const pos::ViewTransform t = pos::FitView(box, area.width(), area.height(), kMargin);
    return ToQt(t.toView({world.x(), world.y()})) + area.topLeft();
}

QPointF CArcEndPicture::candidateAt(int k) const
{
    return toView(m_arc.candidates[static_cast<std::size_t>(k == 1 ? 1 : 0)]);
}

QPointF CArcEndPicture::enteredAt() const
{
    const QRectF inside = drawingArea().adjusted(kEdgeInset, kEdgeInset, -kEdgeInset, -kEdgeInset);
    return KeepInside(centreAt(), toView(m_arc.entered), inside);
}

QPointF CArcEndPicture::beginAt() const
{
    return toView(m_arc.begin);
}

QPointF CArcEndPicture::centreAt() const
{
    return toView(m_arc.centre);
}

QRectF CArcEndPicture::labelBox(int k) const
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetricsF metrics(bold);
    const QString text = QString::number(k == 1 ? 2 : 1);
    const QSizeF size(metrics.horizontalAdvance(text) + 2.0, metrics.height());
    // Outwards from the centre: the two candidates face away from each other.
    const QPointF at = candidateAt(k);
    QPointF out = at - centreAt();
    const double length = Length(out);
    out = length > 0.5 ? out / length : QPointF(k == 1 ? -1.0 : 1.0, 0.0);
    const double away
        = 7.0 + std::fabs(out.x()) * size.width() / 2.0 + std::fabs(out.y()) * size.height() / 2.0;
    QRectF box(QPointF(), size);
    box.moveCenter(at + out * away);
    if (!drawingArea().contains(box))
        box.moveCenter(at - out * away);
    return box;
}

void CArcEndPicture::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::LanguageChange) {
        setTexts();
        updateGeometry();
        update();
    } else if (e->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(e);
}

void CArcEndPicture::paintEvent(QPaintEvent *e)
{
    Q_UNUSED(e);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = drawingArea();
    painter.fillRect(area, kBackground);
    painter.setPen(QPen(kCircle, 1.0));
    painter.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setClipRect(area);

    const QPointF centre = centreAt();
    const QPointF begin = beginAt();
    const double radius = Length(begin - centre);
    const std::array<QPointF, 2> candidates{candidateAt(0), candidateAt(1)};
    const QPointF entered = enteredAt();

    // The circle, and the line through its centre and the entered end point
    // on which both candidates lie.
    painter.setPen(QPen(kCircle, 1.2));
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(kCircle, 1.0, Qt::DotLine));
    QPointF lo = candidates[0];
    QPointF hi = candidates[1];
    const QPointF axis = hi - lo;
    const double along = QPointF::dotProduct(entered - lo, axis);
    if (along < 0.0)
        lo = entered;
    else if (along > QPointF::dotProduct(axis, axis))
        hi = entered;
    painter.drawLine(lo, hi);

    // The way the arc turns: a piece of it from the begin point with an arrow.
    if (radius >= 4.0) {
        const double sign = m_arc.clockwise ? 1.0 : -1.0; // view Y runs downwards
        const double a0 = std::atan2(begin.y() - centre.y(), begin.x() - centre.x());
        const double span = std::min(std::numbers::pi / 2.0, 44.0 / radius);
        QPainterPath piece(begin);
        constexpr int steps = 16;
        for (int i = 1; i <= steps; ++i) {
            const double a = a0 + sign * span * i / steps;
            piece.lineTo(centre + radius * QPointF(std::cos(a), std::sin(a)));
        }
        painter.setPen(QPen(kArc, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(piece);
        const double a = a0 + sign * span;
        const QPointF tip = centre + radius * QPointF(std::cos(a), std::sin(a));
        PaintArrowHead(painter, tip, sign * QPointF(-std::sin(a), std::cos(a)));
    }

    PaintMark(painter, CentreMark, centre);
    PaintMark(painter, EnteredMark, entered);
    PaintMark(painter, BeginMark, begin);
    QFont bold = font();
    bold.setBold(true);
    for (int k = 0; k < 2; ++k) {
        PaintMark(painter, CandidateMark, candidates[static_cast<std::size_t>(k)]);
        painter.setFont(bold);
        painter.setPen(kText);
        painter.drawText(labelBox(k), Qt::AlignCenter, QString::number(k + 1));
    }

    // The legend below the drawing.
    painter.setClipping(false);
    painter.setFont(font());
    const double line = std::max(QFontMetricsF(font()).height(), 14.0);
    double y = area.bottom() + kLegendGap;
    for (const Legend &item : legend()) {
        PaintMark(painter, item.mark, QPointF(kMarkWidth / 2.0, y + line / 2.0));
        painter.setPen(kText);
        painter.drawText(QRectF(kMarkWidth + 6.0, y, width() - kMarkWidth - 6.0, line),
                         Qt::AlignLeft | Qt::AlignVCenter, item.text);
        y += line;
    }
}

// --- the dialog ---------------------------------------------------------------

CArcEndSelect::CArcEndSelect(QWidget *parent)
    : QDialog(parent)
    , m_picture(new CArcEndPicture(this))
{
    m_ui.setupUi(this);
    setWindowTitle(QStringLiteral("Loomcraft"));
    // The picture goes beside the message.
    auto *top = new QHBoxLayout;
    m_ui.mainLayout->removeWidget(m_ui.messageLabel);
    top->addWidget(m_ui.messageLabel, 1);
    top->addWidget(m_picture, 0, Qt::AlignTop);
    m_ui.mainLayout->insertLayout(0, top);
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

void CArcEndSelect::setArc(const pos::ui::ArcEndChoice &arc)
{
    m_picture->setArc(arc);
}

void CArcEndSelect::showEvent(QShowEvent *e)
{
    const bool placed = testAttribute(Qt::WA_Moved);
    QDialog::showEvent(e); // centres the dialog on its parent
    if (placed || e->spontaneous() || !parentWidget())
        return;
    const QWidget *window = parentWidget()->window();
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    move(PlaceBeside(window->frameGeometry(), frameGeometry().size(), screen->availableGeometry()));
}

void CArcEndSelect::choose(int choice)
{
    m_choice = choice;
    accept();
}

QPoint PlaceBeside(const QRect &beside, const QSize &size, const QRect &screen)
{
    constexpr int gap = 8;
    const auto within = [](int v, int lo, int hi) { return hi < lo ? lo : std::clamp(v, lo, hi); };
    const int top = within(beside.top(), screen.top(), screen.bottom() + 1 - size.height());
    const int left = within(beside.left(), screen.left(), screen.right() + 1 - size.width());
    const int right = beside.right() + 1 + gap;
    if (right + size.width() <= screen.right() + 1)
        return {right, top};
    const int leftOf = beside.left() - gap - size.width();
    if (leftOf >= screen.left())
        return {leftOf, top};
    const int below = beside.bottom() + 1 + gap;
    if (below + size.height() <= screen.bottom() + 1)
        return {left, below};
    const int above = beside.top() - gap - size.height();
    if (above >= screen.top())
        return {left, above};
    // No room anywhere: against the screen's edge on the roomier side,
    // covering as little of the window as the screen allows.
    const bool rightIsRoomier = screen.right() - beside.right() >= beside.left() - screen.left();
    const int x = rightIsRoomier ? screen.right() + 1 - size.width() : screen.left();
    return {within(x, screen.left(), screen.right() + 1 - size.width()), top};
}
