#pragma once

// The chooser that offers the two corrected end points of an arc whose end
// point is off its circle: the message on the left, a small picture of the
// arc on the right (its begin point, centre and circle, the end point
// entered and the two candidates labelled 1 and 2). It opens beside the
// window of its parent, so that the End fields it asks about stay in sight.

#include "guide/Prompter.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <vector>

#include "ui_CArcEndSelect.h"

// The picture of the chooser. Drawing units as the message gives them, X to
// the right and Y upwards, both axes at one scale; a legend below names the
// marks.
class CArcEndPicture : public QWidget
{
    Q_OBJECT
public:
    explicit CArcEndPicture(QWidget *parent = nullptr);

    void setArc(const pos::ui::ArcEndChoice &arc);
    const pos::ui::ArcEndChoice &arc() const { return m_arc; }
    // Where a mark is drawn, in the widget's pixels: the two candidates, the
    // entered end point (on the picture's edge when it lies far off the
    // circle), the begin point and the centre.
    QPointF candidateAt(int k) const;
    QPointF enteredAt() const;
    QPointF beginAt() const;
    QPointF centreAt() const;
    // Where the label of candidate k (0 or 1) is drawn.
    QRectF labelBox(int k) const;
    // The area of the widget that holds the drawing; the legend is below it.
    QRectF drawingArea() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    struct Legend
    {
        int mark;
        QString text;
    };
    std::vector<Legend> legend() const;
    double legendHeight() const;
    QPointF toView(QPointF world) const;
    void setTexts();

    pos::ui::ArcEndChoice m_arc;
};

class CArcEndSelect : public QDialog
{
    Q_OBJECT
public:
    explicit CArcEndSelect(QWidget *parent = nullptr);

    void setMessage(const QString &text);
    QString message() const;
    void setArc(const pos::ui::ArcEndChoice &arc);
    const CArcEndPicture *picture() const { return m_picture; }
    // 0 the first candidate, 1 the second; valid when exec() accepted.
    int choice() const { return m_choice; }

protected:
    void showEvent(QShowEvent *e) override;

private:
    void choose(int choice);

    Ui::CArcEndSelect m_ui;
    CArcEndPicture *m_picture;
    int m_choice = 0;
};

// Where a window of the given (frame) size goes beside the window `beside`
// on a screen's available area, both in screen coordinates: to its right
// when the screen has room, else to its left, else below or above it, else
// wherever it fits on the screen (at its right edge). Its top is level with
// that of `beside` where the screen allows.
QPoint PlaceBeside(const QRect &beside, const QSize &size, const QRect &screen);
