#include "app/feedback_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "lang/language.h"
#include "recording_seams.h"
#include "runtime/text.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;

// As the hook thread's loop does: a hand-over that met the queue taken is asked again.
void AfterHookCall(FeedbackWorker& worker) {
    while (worker.HandOverAfterHookCall()) std::this_thread::sleep_for(1ms);
}

// Records what reaches it and holds every call until opened, like a hung reader.
class GatedOutput final : public FeedbackOutput {
  public:
    std::vector<std::string> got;

    void Speak(std::u16string_view text) override { Record(Utf16ToUtf8(std::u16string(text))); }
    void ShowBraille(std::u16string_view text) override {
        Record("braille " + Utf16ToUtf8(std::u16string(text)));
    }
    void PlayCue(Cue cue) override { Record(testing::CueName(cue)); }
    void PlayCueAndWait(Cue cue) override { Record("last " + testing::CueName(cue)); }
    void EndThread() override { Record("end"); }
    int SpeechEngine() override {
        Record("engine");
        return 2;
    }
    // Asks for `looksWanted` timed looks 5 ms apart, then for none.
    int64_t Idle(uint32_t) override {
        std::lock_guard lock(mutex_);
        ++looks;
        changed_.notify_all();
        return looks <= looksWanted ? 5 : -1;
    }
    int LooksSoFar() {
        std::lock_guard lock(mutex_);
        return looks;
    }
    void WaitForLooks(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return looks >= count; });
    }
    int looksWanted = 0;

    // False when fewer than `count` arrived within the limit.
    bool WaitFor(size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return got.size() >= count; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

  private:
    void Record(std::string what) {
        std::unique_lock lock(mutex_);
        got.push_back(std::move(what));
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int looks = 0;
};

TEST(FeedbackWorker, DeliversInOrderAndDropsTheOldestWhenFull) {
    GatedOutput output;
    FeedbackWorker worker(output);
    worker.Start();
    worker.Announce(std::u16string(FeedbackWorker::kMaxTextLength + 7, u'x'));
    output.WaitFor(1);  // the worker is stuck in the output from here on
    for (int n = 0; n < 18; ++n) worker.Announce(std::u16string(u"F").append(IntegerText(n)));
    worker.SoundCueFromHook(Cue::IgnoreModeAlways);
    worker.SoundCueFromHook(Cue::NextKeyUsed);
    output.Open();
    output.WaitFor(1 + FeedbackWorker::kCapacity);
    ASSERT_TRUE(worker.Stop(10s));

    std::vector<std::string> expected = {std::string(FeedbackWorker::kMaxTextLength, 'x')};
    for (int n = 4; n < 18; ++n) expected.push_back(std::string("F").append(std::to_string(n)));
    expected.push_back("IgnoreModeAlways");
    expected.push_back("NextKeyUsed");
    expected.push_back("end");  // the device closed once, after the last delivery
    EXPECT_EQ(output.got, expected);
}

// Queued before the start, F5 and F6 go to the worker as one batch; once a stop gave
// up on it, it delivers no more of that batch, and takes nothing new.
TEST(FeedbackWorker, StopGivesUpOnAHungOutputAndTakesNothingMore) {
    GatedOutput output;
    FeedbackWorker worker(output);
    worker.Announce(u"F5");
    worker.Announce(u"F6");
    worker.Start();
    output.WaitFor(1);
    EXPECT_FALSE(worker.Stop(20ms));
    worker.Announce(u"F7");
    output.Open();
    EXPECT_TRUE(worker.Stop(10s));
    EXPECT_EQ(output.got, (std::vector<std::string>{"F5", "end"}));
}

// The main thread asks which engine speaks, and waits a moment at most: a reader that
// hangs costs the answer, never the menu.
TEST(FeedbackWorker, SpeechEngineIsAskedOnTheWorkerAndWaitedForBriefly) {
    GatedOutput output;
    FeedbackWorker worker(output);
    EXPECT_EQ(worker.AskSpeechEngine(10s), kNoEngineAnswer);  // no thread yet
    worker.Start();
    worker.Announce(u"F5");
    output.WaitFor(1);
    EXPECT_EQ(worker.AskSpeechEngine(20ms), kNoEngineAnswer);
    output.Open();
    EXPECT_EQ(worker.AskSpeechEngine(10s), 2);
    EXPECT_TRUE(worker.Stop(10s));
}

TEST(FeedbackWorker, StopReturnsAsSoonAsTheWorkerEnds) {
    GatedOutput output;
    output.Open();
    FeedbackWorker worker(output);
    worker.Start();
    worker.Announce(u"F5");
    output.WaitFor(1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(worker.Stop(30s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "waited for the limit";
}

TEST(FeedbackWorker, DestructorLeavesAThreadStuckInTheOutputBehind) {
    auto* output = new GatedOutput;  // never freed: the thread left behind still uses it
    const auto start = std::chrono::steady_clock::now();
    {
        FeedbackWorker worker(*output);
        worker.Start();
        worker.Announce(u"F5");
        output->WaitFor(1);
    }  // a join here would never return
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    output->Open();  // the thread left behind ends on its own
}

// The exit and restart cues: everything still queued goes first, and no cue asked for
// until the last one has ended can cut it short; speech and braille still pass, and
// however much of it fills the queue, the last cue stays in it. Its own braille text
// follows the cue, within the wait. The wait has its limit even while the worker is
// stuck, and ends with the cue otherwise. Once the cue has sounded (after a restart that
// failed), cues sound again.
TEST(FeedbackWorker, LastCueEmptiesTheQueueAndTakesNoCueAfterIt) {
    auto spoken = [](int first, int last) {
        std::vector<std::string> texts;
        for (int n = first; n <= last; ++n)
            texts.push_back(std::string("F").append(std::to_string(n)));
        return texts;
    };
    auto join = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        bool stuck;       // the worker is inside a hung output when the last cue is asked for
        int spokenAfter;  // announcements F7, F8... while the last cue waits
        bool waitEnds;
        std::vector<std::string> delivered;
    } cases[] = {
        // The queue keeps the last cue and the newest 15 texts.
        {true, 17, false,
         join(join({"F5", "last Exit", "braille Closed"}, spoken(10, 23)),
              {"braille On", "RunAsAdminOff"})},
        {false,
         1,
         true,
         {"F5", "last Exit", "braille Closed", "NextKeyUsed", "ExcludeEscapeOff",
          "IgnoreModeAlways", "F7", "braille On", "RunAsAdminOff"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stuck);
        GatedOutput output;
        if (!c.stuck) output.Open();
        FeedbackWorker worker(output);
        worker.Start();
        worker.Announce(u"F5");
        output.WaitFor(1);
        if (c.stuck) {
            worker.QueueCue(Cue::ExcludeEscapeOn);
            worker.SoundCueFromHook(Cue::IgnoreModeNextKey);
            worker.Announce(u"F6");
        }
        const auto asked = std::chrono::steady_clock::now();
        EXPECT_EQ(worker.SoundLastCueAndWait(Cue::Exit, c.stuck ? 20ms : 30s, u"Closed"),
                  c.waitEnds);
        if (c.waitEnds) {
            EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s) << "waited for the limit";
        }
        worker.SoundCueFromHook(Cue::NextKeyUsed);
        worker.QueueCue(Cue::ExcludeEscapeOff);
        worker.SoundCueFromHook(Cue::IgnoreModeAlways);
        worker.SoundSlotHousekeeping();
        for (int n = 7; n < 7 + c.spokenAfter; ++n) {
            worker.Announce(std::u16string(u"F").append(IntegerText(n)));
        }
        worker.QueueBraille(u"On");
        output.Open();
        output.WaitFor(c.delivered.size() - 1);
        worker.QueueCue(Cue::RunAsAdminOff);
        EXPECT_TRUE(output.WaitFor(c.delivered.size()));
        ASSERT_TRUE(worker.Stop(10s));
        EXPECT_EQ(output.got, join(c.delivered, {"end"}));
    }
}

// The worker looks after the idle device only when the output asks for a look: no
// timer at all once none is wanted, and a new look after each request.
TEST(FeedbackWorker, IdleLooksOnlyWhenAsked) {
    GatedOutput output;
    output.Open();
    output.looksWanted = 3;
    FeedbackWorker worker(output);
    worker.Start();
    output.WaitForLooks(4);  // the first, and three timed ones
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(output.LooksSoFar(), 4);
    worker.QueueCue(Cue::Start);
    output.WaitFor(1);
    output.WaitForLooks(5);
    ASSERT_TRUE(worker.Stop(10s));
    EXPECT_EQ(output.got, (std::vector<std::string>{"Start", "end"}));
}

// A sleeping worker is woken for the hook's request only once the hook call is over,
// and for the menu's at once: the menu has no after-call step.
TEST(FeedbackWorker, SleepingWorkerWakesAfterTheHookCallOrAtOnceForTheMenu) {
    for (bool fromHook : {true, false}) {
        SCOPED_TRACE(fromHook);
        GatedOutput output;
        output.Open();
        FeedbackWorker worker(output, true);
        worker.Start();
        output.WaitForLooks(1);
        std::this_thread::sleep_for(20ms);  // from its first look into its sleep
        if (fromHook) {
            worker.Announce(u"F5");
            EXPECT_FALSE(output.WaitFor(1, 100ms)) << "woken inside the hook call";
            AfterHookCall(worker);
        } else {
            worker.QueueCue(Cue::Start);
        }
        EXPECT_TRUE(output.WaitFor(1, 5s));
        EXPECT_TRUE(worker.Stop(10s));
        EXPECT_EQ(output.got, std::vector<std::string>({fromHook ? "F5" : "Start", "end"}));
    }
}

// The hook never waits for the queue: what meets it taken by another thread waits on
// the hook's side and goes over in order, at the hook's next request or after the call,
// and then wakes the sleeping worker with no other request after it.
TEST(FeedbackWorker, HookMeetingTheQueueTakenGoesOnAndHandsOverLater) {
    GatedOutput output;
    output.Open();
    FeedbackWorker worker(output, true);
    worker.Start();
    worker.Announce(u"F1");
    AfterHookCall(worker);
    ASSERT_TRUE(output.WaitFor(1));
    auto hookCallMeetingTheQueueTaken = [&](auto hookCall) {
        std::promise<void> taken;
        std::promise<void> release;
        bool gaveUp = false;
        std::thread holder([&] {
            auto queue = worker.HoldQueueForTest();
            taken.set_value();
            gaveUp = release.get_future().wait_for(5s) == std::future_status::timeout;
        });
        taken.get_future().wait();
        hookCall();
        EXPECT_TRUE(worker.HandOverAfterHookCall()) << "the stash cannot go over yet";
        release.set_value();
        holder.join();
        EXPECT_FALSE(gaveUp) << "the hook waited for the queue";
    };
    hookCallMeetingTheQueueTaken([&] {
        worker.Announce(u"F2");
        worker.SoundCueFromHook(Cue::IgnoreModeNextKey);
    });
    worker.Announce(u"F3");
    worker.SoundCueFromHook(Cue::NextKeyUsed);
    AfterHookCall(worker);
    EXPECT_TRUE(output.WaitFor(5));
    std::this_thread::sleep_for(20ms);  // from its last look into its sleep
    hookCallMeetingTheQueueTaken([&] { worker.Announce(u"F4"); });
    AfterHookCall(worker);
    EXPECT_TRUE(output.WaitFor(6));
    ASSERT_TRUE(worker.Stop(10s));
    EXPECT_EQ(output.got, (std::vector<std::string>{"F1", "F2", "IgnoreModeNextKey", "F3",
                                                    "NextKeyUsed", "F4", "end"}));
}

TEST(FeedbackWorker, EverySpokenTextOfEveryLanguageFitsARequest) {
    for (const Catalog& catalog : BuiltInCatalogs()) {
        const Language language(&catalog);
        std::vector<std::u16string> spoken = {language.Text(kEscapeName, kKeyNameContext),
                                              language.Text(kCannotInitializeKeys)};
        for (auto text : kIgnoreModeTexts) spoken.push_back(language.Text(text));
        // And what goes to braille alone, the key or program named at its longest.
        spoken.push_back(language.Text(kQuilletRunning));
        spoken.push_back(language.Text(kQuilletClosed));
        for (int on = 0; on < 2; ++on) {
            spoken.push_back(language.Text(kKeyPressTexts[on], {}, u"F12"));
            spoken.push_back(language.Text(kLetKeysThroughTexts[on], {}, u"mstsc.exe"));
            spoken.push_back(language.Text(kRunAsAdminTexts[on]));
            spoken.push_back(language.Text(kStartWithWindowsTexts[on]));
        }
        for (const auto& text : spoken) {
            EXPECT_LE(text.size(), FeedbackWorker::kMaxTextLength) << catalog.tag;
        }
    }
}

}  // namespace
}  // namespace quillet
