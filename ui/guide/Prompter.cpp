#include "guide/Prompter.h"

#include "dialogs/CCoordinateMove.h"
#include "dialogs/CSetSpeeds.h"
#include "geometry/CArcEndSelect.h"

#include <QFileDialog>
#include <QMenu>

#include <utility>

namespace pos::ui {

namespace {

Prompter *g_installed = nullptr;

} // namespace

Prompter &Prompts()
{
    static QtPrompter real;
    return g_installed ? *g_installed : real;
}

Prompter *SetPrompter(Prompter *prompter)
{
    return std::exchange(g_installed, prompter);
}

void ShowOk(QWidget *parent, const QString &text, QMessageBox::Icon icon)
{
    Prompts().message(parent, text, QMessageBox::Ok, icon, QMessageBox::Ok);
}

QMessageBox::StandardButton AskDestructive(QWidget *parent, const QString &text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::Icon icon)
{
    const QMessageBox::StandardButton safe
        = buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Cancel;
    return Prompts().message(parent, text, buttons, icon, safe);
}

QString MessageCaption()
{
    return QStringLiteral("Loomcraft");
}

QMessageBox::StandardButton QtPrompter::message(QWidget *parent, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::Icon icon,
                                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, MessageCaption(), text, buttons, parent);
    box.setObjectName(QStringLiteral("posMessageBox"));
    if (defaultButton != QMessageBox::NoButton && buttons.testFlag(defaultButton))
        box.setDefaultButton(defaultButton);
    else
        for (const auto b :
             {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            if (buttons.testFlag(b)) {
                box.setDefaultButton(b);
                break;
            }
    if (buttons.testFlag(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons.testFlag(QMessageBox::No))
        box.setEscapeButton(QMessageBox::No);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

int QtPrompter::chooseArcEnd(QWidget *parent, const QString &text, const ArcEndChoice &arc)
{
    CArcEndSelect dialog(parent);
    dialog.setMessage(text);
    dialog.setArc(arc);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.choice();
}

QString QtPrompter::openFile(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

std::optional<QPoint> QtPrompter::coordinateMove(QWidget *parent)
{
    CCoordinateMove dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return QPoint(dialog.xDisplacement(), dialog.yDisplacement());
}

std::optional<SpeedsAndTime> QtPrompter::speedsAndTime(QWidget *parent,
                                                       const SpeedsAndTime &initial)
{
    CSetSpeeds dialog(parent);
    dialog.setValues(initial);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.values();
}

QAction *QtPrompter::popupMenu(QMenu *menu, const QPoint &globalPos)
{
    return menu->exec(globalPos);
}

} // namespace pos::ui
