// Renders the trajectory view with a sample outline to a PNG:
//   shot_graphic_show OUT.png
// The two-segment example (a line to (20000, 0), a clockwise arc about
// (20000, 10000) to (30000, 10000)) followed by arcs in both directions and
// one through a pass-through point, absolute, segment 2 current.

#include "controls/CGraphicShow.h"

#include <QApplication>
#include <QPixmap>

#include <cstdint>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: shot_graphic_show OUT.png\n");
        return 2;
    }

    struct Seg
    {
        std::int32_t type, mode, ex, ey, cx, cy;
    };
    const std::vector<Seg> segs = {
        {1, 0, 20000, 0, 0, 0},             // line
        {2, 0, 30000, 10000, 20000, 10000}, // clockwise, three quarters
        {1, 0, 30000, 25000, 0, 0},         // line up
        {3, 0, 20000, 35000, 20000, 25000}, // counter-clockwise quarter
        {2, 1, 0, 35000, 10000, 30000},     // through a pass-through point
        {3, 0, -10000, 25000, 0, 25000},    // counter-clockwise quarter
        {1, 0, 0, 0, 0, 0},                 // back to the start
    };
    std::vector<std::int32_t> cx, cy, bx, by, ex, ey, type, modes;
    for (const Seg &s : segs) {
        cx.push_back(s.cx);
        cy.push_back(s.cy);
        bx.push_back(0);
        by.push_back(0);
        ex.push_back(s.ex);
        ey.push_back(s.ey);
        type.push_back(s.type);
        modes.push_back(s.mode);
    }

    CGraphicShow view;
    view.resize(400, 400);
    view.setActionMode(1);
    view.setCentreModes(modes);
    view.DrawTrajectory(cx.data(), cy.data(), bx.data(), by.data(), ex.data(), ey.data(),
                        type.data(), static_cast<std::int32_t>(segs.size()), 2, true);
    view.show();
    QApplication::processEvents();
    if (!view.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
