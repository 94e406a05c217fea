#pragma once

// The speed profile of a whole outline: the path speed over time as the
// generated subprogram runs it, segment after segment (see geometry/Motion.h).
//
// Time runs to the right in seconds from the outline's start, speed upwards
// in Hz (pulses per second along the path), both from 0, with round ticks.
// Each segment's span is shaded in turn and numbered above the plot. A
// segment whose time cannot be computed takes no time and is not drawn; a
// line below the plot names such segments, and an outline without any time
// shows a text in place of the plot. Hovering a span highlights its segment
// (highlightChanged); another view can highlight one with
// setHighlightedSegment. With speed colouring, each segment's curve takes
// the colour of its peak on the trajectory view's scale.

#include "geometry/Motion.h"

#include <QFont>
#include <QList>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

// The smallest step of 1, 2 or 5 times a power of ten that is at least
// least; 0 when least is not a positive finite number.
double RoundTickStep(double least);

class CSpeedProfile : public QWidget
{
    Q_OBJECT
public:
    explicit CSpeedProfile(QWidget *parent = nullptr);
    ~CSpeedProfile() override;

    // The motion of each segment in segment order, as pos::EstimateMotion
    // or the trajectory view gives it. Copied.
    void setMotion(std::vector<pos::SegmentMotion> motion);
    const std::vector<pos::SegmentMotion> &motion() const { return m_motion; }
    void setSpeedColouring(bool on);
    bool speedColouring() const { return m_speedColouring; }

    // Seconds the timed segments take together.
    double totalTime() const { return m_totalTime; }
    // The speed (Hz) the given seconds after the outline starts, as
    // pos::SpeedAt gives it for the segment then running; 0 outside the
    // outline's time.
    double speedAt(double seconds) const;
    // The segment (its number) running the given seconds after the start;
    // at the boundary of two, the one that begins there; 0 outside.
    int segmentAt(double seconds) const;

    // The plot area in the widget; empty when there is nothing to plot.
    QRectF plotRect() const { return m_plot; }
    // Seconds and Hz to a point of the widget and back (the plot's scale).
    QPointF toPlot(double seconds, double hz) const;
    double secondsAt(double x) const;
    // The profile as it is drawn, in the widget's pixels, one polyline per
    // timed segment in order.
    const std::vector<QPolygonF> &curves() const { return m_curves; }
    // The text shown about segments without a time or in place of the plot;
    // empty when there is none.
    QString message() const { return m_message; }
    // Where each text is drawn (tick labels, axis titles, segment numbers,
    // the message), for checks of the layout.
    const QList<QRectF> &textRects() const { return m_textRects; }

    int highlightedSegment() const { return m_highlighted; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // Highlights segment n's span; 0, or a segment that takes no time, none.
    void setHighlightedSegment(int segment);

signals:
    void highlightChanged(int segment);

protected:
    bool event(QEvent *e) override;
    void changeEvent(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    struct Tick
    {
        double value;
        QString text;
        QRectF box;
    };

    void setTexts();
    void layOut();
    int segmentUnder(QPointF at) const;
    QString segmentText(int segment) const;

    std::vector<pos::SegmentMotion> m_motion;
    std::vector<double> m_starts; // seconds at which each segment starts
    double m_totalTime = 0.0;
    double m_topSpeed = 0.0; // the speed axis' end, Hz
    double m_lowPeak = 0.0;  // the colour scale's ends
    double m_highPeak = 0.0;
    bool m_speedColouring = false;
    int m_highlighted = 0;

    // What layOut makes of the motion, the size and the font.
    QRectF m_plot;
    QRectF m_numberRow; // the segment numbers above the plot
    std::vector<QPolygonF> m_curves;
    std::vector<Tick> m_timeTicks;
    std::vector<Tick> m_speedTicks;
    std::vector<QRectF> m_numberBoxes; // per segment; empty where no number fits
    QRectF m_speedTitleBox;
    QRectF m_timeTitleBox;
    QRectF m_messageBox;
    QString m_message;
    QList<QRectF> m_textRects;

    QString m_speedTitle;
    QString m_timeTitle;
    QString m_noTimeFormat;
    QString m_nothingTimed;
    QString m_noSegments;
    QString m_hoverFormat;
};
