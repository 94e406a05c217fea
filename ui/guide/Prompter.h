#pragma once

// The one seam for every modal prompt of the wizard: message boxes, the arc
// end-point chooser, the open-file dialog, the coordinate move, the
// speeds-and-time prompt of the table page and the context menus.
// Only QtPrompter opens real dialogs; tests install a scripted prompter that
// records each prompt and answers it.

#include <QMessageBox>
#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace pos::ui {

// Speeds (Hz) and acceleration/deceleration time (ms) given to many table
// rows at once.
struct SpeedsAndTime
{
    std::uint32_t accDecTime = 0;
    std::uint32_t initialSpeed = 0;
    std::uint32_t maxSpeed = 0;

    friend bool operator==(const SpeedsAndTime &, const SpeedsAndTime &) = default;
};

// What the arc end-point chooser draws, in drawing units as its message
// gives them (relative to where the arc begins in incremental mode): where
// the arc begins, its centre, the end point entered (off the circle) and the
// two corrected end points on the circle, where the line through the centre
// and the entered end point crosses it; and the way the arc turns.
struct ArcEndChoice
{
    QPoint begin;
    QPoint centre;
    QPoint entered;
    std::array<QPoint, 2> candidates;
    bool clockwise = true;

    friend bool operator==(const ArcEndChoice &, const ArcEndChoice &) = default;
};

class Prompter
{
public:
    virtual ~Prompter() = default;

    // A message box with the given buttons and icon; returns the button
    // pressed (Escape or the close box give Cancel or No where offered).
    // Enter presses defaultButton; NoButton makes the first of OK, Yes, No
    // and Cancel offered the default. A question whose Yes or OK throws work
    // away names its safe answer here.
    virtual QMessageBox::StandardButton
    message(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons,
            QMessageBox::Icon icon, QMessageBox::StandardButton defaultButton)
        = 0;

    // The arc end-point chooser with its message and its picture: 0 the
    // first candidate, 1 the second, -1 "Input Again" (or the dialog closed).
    virtual int chooseArcEnd(QWidget *parent, const QString &text, const ArcEndChoice &arc) = 0;

    // An existing file to open, or an empty string when cancelled.
    virtual QString openFile(QWidget *parent, const QString &filter) = 0;

    // The coordinate move dialog: the X and Y displacement, or nothing when
    // cancelled.
    virtual std::optional<QPoint> coordinateMove(QWidget *parent) = 0;

    // Speeds and time for the selected table rows, starting from initial;
    // nothing when cancelled.
    virtual std::optional<SpeedsAndTime> speedsAndTime(QWidget *parent,
                                                       const SpeedsAndTime &initial)
        = 0;

    // Shows a context menu at a point in screen coordinates and runs the
    // item the user picks; returns it, or null when the menu was closed.
    virtual QAction *popupMenu(QMenu *menu, const QPoint &globalPos) = 0;
};

// The prompter in use: a QtPrompter unless one was installed.
Prompter &Prompts();
// Installs a prompter (not owned); nullptr restores the real dialogs.
// Returns the one installed before, for the caller to put back.
Prompter *SetPrompter(Prompter *prompter);

// Convenience: an OK box without icon, as most checks show.
void ShowOk(QWidget *parent, const QString &text, QMessageBox::Icon icon = QMessageBox::NoIcon);
// A question whose first answer throws work away: the default button is the
// safe one (No, else Cancel), so that Enter keeps the work.
QMessageBox::StandardButton AskDestructive(QWidget *parent, const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::Icon icon);

// The real dialogs.
class QtPrompter : public Prompter
{
public:
    QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButton defaultButton) override;
    int chooseArcEnd(QWidget *parent, const QString &text, const ArcEndChoice &arc) override;
    QString openFile(QWidget *parent, const QString &filter) override;
    std::optional<QPoint> coordinateMove(QWidget *parent) override;
    std::optional<SpeedsAndTime> speedsAndTime(QWidget *parent,
                                               const SpeedsAndTime &initial) override;
    QAction *popupMenu(QMenu *menu, const QPoint &globalPos) override;
};

// Caption of the wizard's message boxes: the host program's name.
QString MessageCaption();

} // namespace pos::ui
