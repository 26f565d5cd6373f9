#pragma once

#include <cmath>
#include <optional>

namespace mirvane {

// The wheel's own value of pi; the rim positions and the turn steps are all derived from it.
inline constexpr double kPi = 3.1415926;
inline constexpr double kHalfPi = 1.5707963;

// Forward walks follow the list (labels further on go down the rim); backward walks go
// against it (labels go up).
enum class Walk { Forward, Backward };

// One picture's walk round the group list: every group is visited once, starting at the
// current one, and the walk says which of them are drawn and at which angle (radians, 0 at
// the rim's rightmost point, positive upwards). The groups near the current one fill the
// quarter of the rim in the walk's direction; once the angles pass the bottom (or top) the
// walk wraps to the other quarter and only the last groups of the walk, the nearest ones on
// the other side, are drawn there. At rest exactly nSlots labels are drawn.
class RimWalk {
public:
    RimWalk(int nGroups, int nSlots, double dOffset, Walk walk)
        : m_nGroups(nGroups), m_nSlots(nSlots), m_dOffset(dOffset), m_walk(walk),
          // As if one label before the first had been drawn unwrapped: a walk that wraps at
          // its first visit then draws only its last nSlots groups.
          m_nFirstSkipped(0), m_nFirstDrawnAgain(nGroups - nSlots) {}

    // The angle of the next visit's label, or nothing when that group is skipped.
    std::optional<double> Visit() {
        int nVisit = m_nVisit++;
        if (m_nSlots <= 0 || nVisit >= m_nGroups)
            return std::nullopt;
        double dSign = m_walk == Walk::Forward ? -1.0 : 1.0;
        double dAngle = m_dOffset + dSign * m_nDrawn * (kPi / m_nSlots);
        if (m_walk == Walk::Forward && dAngle < -kHalfPi) {
            dAngle += kPi;
            m_bWrapped = true;
        } else if (m_walk == Walk::Backward && dAngle > kHalfPi) {
            dAngle -= kPi;
            m_bWrapped = true;
        }
        if (!m_bWrapped) {
            m_nFirstSkipped = m_nDrawn + 1;
            m_nFirstDrawnAgain = m_nGroups - m_nSlots + m_nDrawn + 1;
        }
        if (nVisit >= m_nFirstSkipped && nVisit < m_nFirstDrawnAgain)
            return std::nullopt;
        ++m_nDrawn;
        // A label that a turn brings back to the centre lands a rounding error off zero;
        // it belongs at the centre, as at rest.
        return std::fabs(dAngle) < 1e-9 ? 0.0 : dAngle;
    }

private:
    int m_nGroups;
    int m_nSlots;
    double m_dOffset;
    Walk m_walk;
    int m_nFirstSkipped;
    int m_nFirstDrawnAgain;
    int m_nVisit = 0;
    int m_nDrawn = 0;
    bool m_bWrapped = false;
};

// The offset of frame k (1 to f) of an f-frame turn: a forward walk turns down, moving every
// label one rim position down over the f frames; a backward walk turns up.
inline double FrameOffset(int nSlots, int nFrames, int nFrame, Walk walk) {
    if (nSlots <= 0 || nFrames <= 0)
        return 0.0; // no rim positions: nothing is drawn anyway
    double dStep = (walk == Walk::Forward ? -kPi / nSlots : kPi / nSlots) / nFrames;
    return dStep * nFrame;
}

} // namespace mirvane
