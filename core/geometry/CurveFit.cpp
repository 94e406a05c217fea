#include "geometry/CurveFit.h"

namespace pos::geo {

Curves ApproximateEllipse(Vec, Vec, Vec, double, double, double)
{
    return {};
}

Curves ApproximateNurbs(int, const std::vector<double> &, const std::vector<double> &,
                        const std::vector<Vec> &, double)
{
    return {};
}

Curves ApproximateThroughPoints(const std::vector<Vec> &, double)
{
    return {};
}

void SimplifyRun(Curves &, double, SimplifyCounts &) {}

} // namespace pos::geo
