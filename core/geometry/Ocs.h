#pragma once

// The object coordinate system of a DXF entity with extrusion direction N,
// by the arbitrary-axis rule: Ax = Wy x N when N is within 1/64 of the world
// Z axis in X and Y, else Wz x N; Ay = N x Ax; both scaled to unit length. A
// point (x, y, z) of the entity's plane lies at x Ax + y Ay + z N in world
// coordinates; only its X and Y are used (the drawing seen from +Z).

#include <algorithm>
#include <array>
#include <cmath>

namespace pos::dxf {

class Ocs
{
public:
    // The default: the world's own XY plane.
    Ocs() = default;
    // The plane whose normal is (nx, ny, nz), of any length; a zero direction
    // is taken as the default +Z.
    Ocs(double nx, double ny, double nz)
    {
        const double scale = std::max({std::fabs(nx), std::fabs(ny), std::fabs(nz)});
        if (!(scale > 0.0))
            return;
        nx /= scale;
        ny /= scale;
        nz /= scale;
        const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
        nx /= length;
        ny /= length;
        nz /= length;
        if (nx == 0.0 && ny == 0.0 && nz > 0.0)
            return;
        m_identity = false;
        m_n = {nx, ny, nz};
        if (std::fabs(nx) < 1.0 / 64.0 && std::fabs(ny) < 1.0 / 64.0)
            m_ax = {nz, 0.0, -nx}; // Wy x N
        else
            m_ax = {-ny, nx, 0.0}; // Wz x N
        Normalise(m_ax);
        m_ay = {ny * m_ax[2] - nz * m_ax[1], nz * m_ax[0] - nx * m_ax[2],
                nx * m_ax[1] - ny * m_ax[0]}; // N x Ax
        Normalise(m_ay);
    }

    bool identity() const { return m_identity; }
    // Seen from +Z a plane whose normal points away from the viewer turns
    // its arcs the other way round.
    bool mirrored() const { return !m_identity && m_n[2] < 0.0; }

    void toWorld(double x, double y, double z, double &wx, double &wy) const
    {
        if (m_identity) {
            wx = x;
            wy = y;
            return;
        }
        wx = x * m_ax[0] + y * m_ay[0] + z * m_n[0];
        wy = x * m_ax[1] + y * m_ay[1] + z * m_n[1];
    }

private:
    using Vec = std::array<double, 3>;
    static void Normalise(Vec &v)
    {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        for (double &c : v)
            c /= length;
    }

    bool m_identity = true;
    Vec m_n{0.0, 0.0, 1.0};
    Vec m_ax{1.0, 0.0, 0.0};
    Vec m_ay{0.0, 1.0, 0.0};
};

} // namespace pos::dxf
