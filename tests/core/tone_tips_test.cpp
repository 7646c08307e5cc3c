// SPDX-License-Identifier: GPL-3.0-or-later
// Tone tips: when a tip counts as defined, what a change does to the roger-beep choices, and the
// preview player's exact sequence of sounds and waits.
#include "model/channel_table.h"
#include "model/new_document.h"
#include "model/tone_tips.h"
#include "sound/tone_preview.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zt {
namespace {

ToneTipEntry TipOf(std::initializer_list<ToneTipStep> steps, i16 repeat, i16 interval = 0) {
    ToneTipEntry t;
    std::size_t i = 0;
    for (const ToneTipStep& s : steps)
        t.Steps[i++] = s;
    t.Repeat = repeat;
    t.Interval = interval;
    return t;
}

TEST(ToneTips, DefinedNeedsARepeatAndAStepWithALength) {
    SettingsRecord s;
    s.ToneTips[0] = TipOf({{210, 10}}, 1);
    s.ToneTips[1] = TipOf({{210, 10}}, 0);        // never repeats
    s.ToneTips[2] = TipOf({{210, 0}, {0, 0}}, 3); // no length anywhere
    s.ToneTips[3] = TipOf({{0, 1}}, 1);           // a silent step still counts
    EXPECT_EQ(ToneDefined(s, 1), 1);
    EXPECT_EQ(ToneDefined(s, 2), 0);
    EXPECT_EQ(ToneDefined(s, 3), 0);
    EXPECT_EQ(ToneDefined(s, 4), 4);
    for (int n : {0, -1, 9, 30})
        EXPECT_EQ(ToneDefined(s, n), 0) << n;
}

TEST(ToneTips, ChangedClearsRogerBeepsNamingUndefinedTipsInChannelsAndTheVfo) {
    AppState app;
    DocumentCopy d;
    d.settings.ToneTips[0] = TipOf({{210, 10}}, 1);
    for (int no : {1, 2, 3})
        ASSERT_TRUE(AppendChannel(app, d, no, "27.6"));
    d.channels[0].RogerBeep = 1;
    d.channels[1].RogerBeep = 2; // tip 2 has no steps
    d.channels[2].RogerBeep = 9; // no such tip
    d.channels[3].RogerBeep = 2; // beyond the table: left alone
    d.settings.Options.Features.VfoChannel.RogerBeep = 2;
    ToneTipsChanged(d);
    EXPECT_EQ(d.channels[0].RogerBeep, 1);
    EXPECT_EQ(d.channels[1].RogerBeep, 0);
    EXPECT_EQ(d.channels[2].RogerBeep, 0);
    EXPECT_EQ(d.channels[3].RogerBeep, 2);
    EXPECT_EQ(d.settings.Options.Features.VfoChannel.RogerBeep, 0);
}

// A clock that runs only when told, and an output that writes down what it was asked, with the
// clock's time.
struct FakeClock : StepClock {
    int now = 0;
    int due = -1;
    std::function<void()> pending;
    void After(int ms, std::function<void()> fn) override {
        due = now + ms;
        pending = std::move(fn);
    }
    void Cancel() override {
        pending = nullptr;
        due = -1;
    }
    // Runs the pending call at its time; false when nothing is pending.
    bool Fire() {
        if (!pending)
            return false;
        now = due;
        auto fn = std::move(pending);
        pending = nullptr;
        fn();
        return true;
    }
    void RunAll() {
        while (Fire()) {
        }
    }
};

struct FakeOutput : ToneOutput {
    const FakeClock& clock;
    std::vector<std::string> log;
    explicit FakeOutput(const FakeClock& c) : clock(c) {}
    void Tone(int hz, int ms) override { add("tone " + std::to_string(hz) + " " + std::to_string(ms)); }
    void Silence(int ms) override { add("silence " + std::to_string(ms)); }
    void Halt() override { add("halt"); }
    void add(const std::string& s) { log.push_back(std::to_string(clock.now) + ": " + s); }
};

class PreviewTest : public ::testing::Test {
  protected:
    FakeClock clock;
    FakeOutput out{clock};
    TonePreview preview{out, clock};
    ToneTipEntry tip;
    int finished = 0;

    bool Start() {
        if (!preview.Prepare(tip))
            return false;
        preview.Play([this] { return &tip; }, [this] { ++finished; });
        return true;
    }
};

TEST_F(PreviewTest, DefaultTipOnePlaysFourBeepsWithPauses) {
    AppState app;
    Document doc;
    RadioInfoRecord info;
    SetNewDocumentValues(app, doc, info);
    tip = doc.work.settings.ToneTips[0];
    ASSERT_TRUE(Start());
    clock.RunAll();
    EXPECT_EQ(out.log, (std::vector<std::string>{"0: tone 2100 100", "100: silence 100", "200: tone 2100 100",
                                                 "300: silence 100", "400: tone 2100 100", "500: silence 100",
                                                 "600: tone 2100 100"}));
    EXPECT_EQ(clock.now, 700);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(preview.Playing());
}

TEST_F(PreviewTest, RepeatsWithTheIntervalAndSkipsShortStepsAndLowTones) {
    // 4 ms steps are skipped, a 40 Hz tone is played as silence; the interval follows each pass.
    tip = TipOf({{100, 5}, {80, 0}, {4, 3}, {255, 255}}, 2, 7);
    ASSERT_TRUE(Start());
    clock.RunAll();
    EXPECT_EQ(out.log, (std::vector<std::string>{"0: tone 1000 50", "50: silence 30", "80: tone 2550 2550",
                                                 "2630: silence 70", "2700: tone 1000 50", "2750: silence 30",
                                                 "2780: tone 2550 2550", "5330: silence 70"}));
    EXPECT_EQ(clock.now, 5400);
    EXPECT_EQ(finished, 1);
}

TEST_F(PreviewTest, TipsThatCannotSoundDoNotPlay) {
    tip = TipOf({{210, 0}}, 3); // no length: Play does nothing
    EXPECT_FALSE(Start());
    tip = TipOf({{210, 10}}, 0); // repeat 0: ends at once
    ASSERT_TRUE(Start());
    EXPECT_TRUE(out.log.empty());
    EXPECT_FALSE(preview.Playing());
    EXPECT_EQ(finished, 1);
}

TEST_F(PreviewTest, StopDuringTheIntervalEndsBeforeTheNextStep) {
    tip = TipOf({{210, 10}}, 5, 50);
    ASSERT_TRUE(Start());
    clock.Fire(); // the tone ends, the interval starts
    ASSERT_EQ(out.log.back(), "100: silence 500");
    preview.Stop();
    EXPECT_FALSE(clock.Fire());
    EXPECT_EQ(out.log.back(), "100: halt");
    EXPECT_EQ(out.log.size(), 3u);
    EXPECT_EQ(finished, 0);
    EXPECT_FALSE(preview.Playing());
}

TEST_F(PreviewTest, StepChangesApplyToStepsNotYetPlayedButRepeatAndIntervalStayCaptured) {
    tip = TipOf({{100, 10}, {100, 10}}, 1, 0);
    ASSERT_TRUE(Start());
    tip.Steps[0].Tone = 200; // already played
    tip.Steps[1].Tone = 150;
    tip.Repeat = 3;
    tip.Interval = 100;
    clock.RunAll();
    EXPECT_EQ(out.log, (std::vector<std::string>{"0: tone 1000 100", "100: tone 1500 100"}));
}

TEST_F(PreviewTest, PlayingAgainRestartsAndDestroyingStopsTheClock) {
    tip = TipOf({{100, 10}, {120, 10}}, 1);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Start()); // the first run is halted, not interleaved with the second
    clock.RunAll();
    EXPECT_EQ(out.log, (std::vector<std::string>{"0: tone 1000 100", "0: halt", "0: tone 1000 100",
                                                 "100: tone 1200 100"}));
    EXPECT_EQ(finished, 1);
    {
        FakeClock c2;
        FakeOutput o2{c2};
        auto p = std::make_unique<TonePreview>(o2, c2);
        ASSERT_TRUE(p->Prepare(tip));
        p->Play([this] { return &tip; }, {});
        p.reset();
        EXPECT_FALSE(c2.pending);
    }
}

} // namespace
} // namespace zt
