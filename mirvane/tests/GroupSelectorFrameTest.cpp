// Every picture of a turn, caught as it reaches the window.
#include "GroupSelectorSupport.h"

#include <cmath>
#include <memory>

namespace {

using namespace mirvanetest;

// Keeps a copy of every picture copied to one window.
class FrameRecorder {
public:
    explicit FrameRecorder(HWND hWnd) {
        platform::SetWindowCopyHook([this, hWnd](HWND hTarget, RECT area) {
            if (hTarget != hWnd)
                return;
            m_areas.push_back(area);
            auto& frame = m_frames.emplace_back(std::make_unique<Surface>(118, 110));
            HDC hShown = GetDC(hTarget);
            BitBlt(frame->dc(), 0, 0, 118, 110, hShown, 0, 0, SRCCOPY);
            ReleaseDC(hTarget, hShown);
        });
    }
    ~FrameRecorder() { platform::SetWindowCopyHook({}); }

    std::vector<std::unique_ptr<Surface>> m_frames;
    std::vector<RECT> m_areas;
};

// Frame k of five of a turn of five groups on five rim positions, where every group is drawn:
// the walk goes from the current group forwards (down) or backwards (up), each label one
// position (36 degrees) further than the one before, moved by k fifths of a position.
std::vector<Placement> TurnFrame(int nCurrent, int k, bool bDown) {
    const double pi = 3.1415926, position = pi / 5;
    const double offset = k * ((bDown ? -position : position) / 5);
    std::vector<Placement> labels;
    for (int j = 0; j < 5; ++j) {
        double angle = offset + (bDown ? -j : j) * position;
        if (bDown && angle < -1.5707963)
            angle += pi;
        if (!bDown && angle > 1.5707963)
            angle -= pi;
        POINT point{48 + static_cast<LONG>(std::trunc(55 * std::cos(angle))),
                    55 - static_cast<LONG>(std::trunc(55 * std::sin(angle)))};
        Hang hang =
            std::fabs(angle) < 1e-9 ? Hang::Centred : (angle > 0 ? Hang::Below : Hang::Above);
        labels.push_back({(nCurrent + (bDown ? j : -j) + 5) % 5, point, hang});
    }
    return labels;
}

using SelectorFrames = GroupSelectorTest;

TEST_F(SelectorFrames, TurnDownMovesEveryLabelAlongTheRim) {
    AddGroups({u"etc.", u"Games", u"Office", u"Tools", u"Media"});
    ASSERT_TRUE(Open(20, 5, 1));
    const CRect band = m_wnd->Band();
    FrameRecorder recorder(m_wnd->GetSafeHwnd());
    m_wnd->RotateDnList(5);
    ASSERT_EQ(recorder.m_frames.size(), 5u);
    const std::vector<POINT> path{{102, 61}, {101, 68}, {99, 75}, {96, 81}, {92, 87}};
    for (int k = 1; k <= 5; ++k) {
        auto labels = TurnFrame(0, k, true);
        ASSERT_EQ(labels[0].point, path[k - 1]) << "the old current group's label, frame " << k;
        EXPECT_EQ(recorder.m_areas[k - 1], (RECT{0, 0, 118, 110})) << "the whole window";
        // The band stays put and is laid before the label turning into the centre, the last
        // of the walk, so the labels drawn before it pass under it.
        Surface expected(118, 110);
        PaintExpected(expected.dc(), labels, {.nBandBefore = 4, .rcBand = band});
        auto found = Differences(recorder.m_frames[k - 1]->dc(), expected.dc(), 118, 110);
        EXPECT_TRUE(found.empty()) << "frame " << k << ": " << Describe(found);
    }
}

TEST_F(SelectorFrames, TurnUpMovesEveryLabelAlongTheRim) {
    AddGroups({u"etc.", u"Games", u"Office", u"Tools", u"Media"});
    ASSERT_TRUE(Open(20, 5, 1));
    m_wnd->RotateUpList(5);
    const CRect band = m_wnd->Band();
    FrameRecorder recorder(m_wnd->GetSafeHwnd());
    m_wnd->RotateUpList(5);
    ASSERT_EQ(recorder.m_frames.size(), 5u);
    for (int k = 1; k <= 5; ++k) {
        auto labels = TurnFrame(1, k, false);
        Surface expected(118, 110);
        PaintExpected(expected.dc(), labels, {.nBandBefore = 4, .rcBand = band});
        auto found = Differences(recorder.m_frames[k - 1]->dc(), expected.dc(), 118, 110);
        EXPECT_TRUE(found.empty()) << "frame " << k << ": " << Describe(found);
    }
    EXPECT_EQ(m_wnd->CurGroup(), 2);
}

TEST_F(SelectorFrames, TapShowsFiveWholePicturesBeforeTellingTheParent) {
    AddNumberedGroups(19);
    ASSERT_TRUE(Open(20, 5, 1));
    FrameRecorder recorder(m_wnd->GetSafeHwnd());
    Tap(110, 100);
    EXPECT_EQ(recorder.m_areas, std::vector<RECT>(5, RECT{0, 0, 118, 110}));
    ASSERT_EQ(m_parent.m_notices.size(), 1u);
    Repaint();
    EXPECT_EQ(recorder.m_areas.size(), 6u) << "a paint is one more whole copy";
}

} // namespace
