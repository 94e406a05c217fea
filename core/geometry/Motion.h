#pragma once

// How long an outline takes, and how fast it goes where: the motion of each
// segment as the generated subprogram runs it.
//
// Each segment runs on its own. It starts at its initial speed, accelerates
// to its maximum speed, runs, and decelerates back to its initial speed at
// its end point; then the next segment starts. Speeds are path speeds in
// pulses per second (Hz) along the segment. The acceleration/deceleration
// time is the time from the initial to the maximum speed, so the
// acceleration is (maximum - initial) / time, the same on the way down. A
// segment too short to reach its maximum speed runs a triangle: it turns
// back at the peak it can reach, halfway along.
//
// Lengths are those of the trajectory as the views draw it (BuildTrajectory):
// a straight line by its length, an arc by radius x swept angle, each in the
// direction and from the begin point that the action mode gives.
//
// A maximum speed of 0, or one below the initial speed, leaves the segment's
// time unknown: it is reported as such, never divided by.

#include "geometry/Trajectory.h"
#include "guide/PosConfig.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pos {

enum class MotionProblem {
    None,
    ZeroMaxSpeed,    // the maximum speed is 0: the segment never gets anywhere
    MaxBelowInitial, // the maximum speed is below the initial speed
};

// The speed profile of one segment.
struct SegmentMotion
{
    std::uint32_t segment = 0; // the segment's number
    double length = 0.0;       // pulses along the path
    double initialSpeed = 0.0; // Hz
    double peakSpeed = 0.0;    // the highest speed reached, Hz
    double rampTime = 0.0;     // seconds from the initial to the peak speed (and back)
    double time = 0.0;         // seconds for the whole segment; 0 when not timed
    bool travel = false;       // a move between contours of an imported drawing
    MotionProblem problem = MotionProblem::None;

    bool timed() const { return problem == MotionProblem::None; }
    // Seconds at the peak speed.
    double cruiseTime() const { return time - 2.0 * rampTime; }
};

// The motion of a whole outline.
struct MotionEstimate
{
    std::vector<SegmentMotion> segments; // in segment order
    double length = 0.0;                 // every segment, travel included
    double travelLength = 0.0;           // the travel segments alone
    double time = 0.0;                   // the timed segments
    std::size_t untimed = 0;             // segments whose time is unknown

    bool complete() const { return untimed == 0; }
};

// The profile of a segment of the given length (pulses) with its speeds (Hz)
// and acceleration/deceleration time (ms).
SegmentMotion ProfileSegment(double length, std::uint32_t initialSpeed, std::uint32_t maxSpeed,
                             std::uint32_t accDecTimeMs);

// The motion of every segment of the configuration, in segment order, and
// the totals.
MotionEstimate EstimateMotion(const PosConfig &config);

// The trajectory of the configuration as the views draw it (one primitive
// per segment, in segment order).
std::vector<TrajectoryPrimitive> ConfigTrajectory(const PosConfig &config);

// The speed (Hz) at t seconds after the segment starts; the initial speed
// outside the segment's time. 0 for a segment that is not timed.
double SpeedAt(const SegmentMotion &motion, double t);

// The range a speed colouring spans: the lowest and highest peak speed of
// the timed segments that are not travel moves (travel moves stay grey).
struct SpeedRange
{
    double low = 0.0;
    double high = 0.0;
    bool any = false;     // a timed segment is coloured
    bool untimed = false; // a segment that is not travel has no time
};
SpeedRange ColouredSpeedRange(std::span<const SegmentMotion> segments);

// Seconds from the outline's start at which each segment starts; the
// segments that are not timed take no time.
std::vector<double> SegmentStartTimes(std::span<const SegmentMotion> segments);

} // namespace pos
