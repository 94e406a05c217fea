#include "geometry/Motion.h"

#include <algorithm>
#include <cmath>

namespace pos {

SegmentMotion ProfileSegment(double length, std::uint32_t initialSpeed, std::uint32_t maxSpeed,
                             std::uint32_t accDecTimeMs)
{
    SegmentMotion m;
    m.length = length;
    m.initialSpeed = initialSpeed;
    if (maxSpeed == 0) {
        m.problem = MotionProblem::ZeroMaxSpeed;
        return m;
    }
    if (maxSpeed < initialSpeed) {
        m.problem = MotionProblem::MaxBelowInitial;
        return m;
    }
    const double v0 = initialSpeed;
    const double vmax = maxSpeed;
    const double rise = vmax - v0;
    const double ramp = accDecTimeMs / 1000.0;
    if (rise == 0.0 || ramp == 0.0) {
        // No speed to gain, or gained at once: the whole way at the maximum.
        m.peakSpeed = vmax;
        m.time = length / vmax;
        return m;
    }
    const double accel = rise / ramp;
    const double rampLength = (v0 + vmax) / 2.0 * ramp; // each way
    if (2.0 * rampLength <= length) {
        m.peakSpeed = vmax;
        m.rampTime = ramp;
        m.time = 2.0 * ramp + (length - 2.0 * rampLength) / vmax;
    } else {
        // Up for half the way, down for the other half.
        m.peakSpeed = std::sqrt(v0 * v0 + accel * length);
        m.rampTime = (m.peakSpeed - v0) / accel;
        m.time = 2.0 * m.rampTime;
    }
    return m;
}

std::vector<TrajectoryPrimitive> ConfigTrajectory(const PosConfig &config)
{
    std::vector<TrajectoryInput> inputs;
    inputs.reserve(config.segments.size());
    for (const auto &[number, s] : config.segments)
        inputs.push_back({s.type, s.centreMode, s.endX, s.endY, s.centreX, s.centreY, s.travel});
    std::vector<TrajectoryPrimitive> primitives = BuildTrajectory(inputs, config.actionMode);
    std::size_t i = 0;
    for (const auto &entry : config.segments)
        primitives[i++].segment = static_cast<int>(entry.first);
    return primitives;
}

MotionEstimate EstimateMotion(const PosConfig &config)
{
    const std::vector<TrajectoryPrimitive> primitives = ConfigTrajectory(config);
    MotionEstimate estimate;
    estimate.segments.reserve(primitives.size());
    std::size_t i = 0;
    for (const auto &[number, s] : config.segments) {
        SegmentMotion m = ProfileSegment(DrawnLength(primitives[i++]), s.initialSpeed, s.maxSpeed,
                                         s.accDecTime);
        m.segment = number;
        m.travel = s.travel;
        estimate.length += m.length;
        if (m.travel)
            estimate.travelLength += m.length;
        if (m.timed())
            estimate.time += m.time;
        else
            ++estimate.untimed;
        estimate.segments.push_back(m);
    }
    return estimate;
}

double SpeedAt(const SegmentMotion &m, double t)
{
    if (!m.timed())
        return 0.0;
    if (t <= 0.0 || t >= m.time)
        return m.initialSpeed;
    if (m.rampTime <= 0.0)
        return m.peakSpeed;
    const double accel = (m.peakSpeed - m.initialSpeed) / m.rampTime;
    if (t < m.rampTime)
        return m.initialSpeed + accel * t;
    const double down = m.time - m.rampTime;
    if (t <= down)
        return m.peakSpeed;
    return m.initialSpeed + accel * (m.time - t);
}

SpeedRange ColouredSpeedRange(std::span<const SegmentMotion> segments)
{
    SpeedRange r;
    for (const SegmentMotion &m : segments) {
        if (m.travel)
            continue;
        if (!m.timed()) {
            r.untimed = true;
            continue;
        }
        r.low = r.any ? std::min(r.low, m.peakSpeed) : m.peakSpeed;
        r.high = r.any ? std::max(r.high, m.peakSpeed) : m.peakSpeed;
        r.any = true;
    }
    return r;
}

std::vector<double> SegmentStartTimes(std::span<const SegmentMotion> segments)
{
    std::vector<double> starts;
    starts.reserve(segments.size());
    double t = 0.0;
    for (const SegmentMotion &m : segments) {
        starts.push_back(t);
        if (m.timed())
            t += m.time;
    }
    return starts;
}

} // namespace pos
