// The marker of held fans and whose it is: each reader (a run, its guard, the next start)
// acts only on its own run's fans and marker, across a quick restart and with older markers.
#include "app/FanHoldMarker.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

namespace velmora {
namespace {

const FanHoldOwner kRunOne{1200, 133000000000000001ull};
const FanHoldOwner kRunTwo{1300, 133000000000000999ull};
// Run one's process id, given to a later process.
const FanHoldOwner kRunOneIdReused{1200, 133000000000000555ull};

// The marker file as one value; writable unless told otherwise.
struct FakeMarker : FanHoldMarkerStore {
    std::optional<FanHoldMarker> marker;
    bool writable = true;
    int changes = 0;
    bool Read(FanHoldMarker& out) override {
        if (marker) out = *marker;
        return marker.has_value();
    }
    bool ReplaceIf(const std::optional<FanHoldMarker>& expected,
                   const FanHoldMarker& next) override {
        if (expected != marker || !writable) return false;
        ++changes;
        if (next.held == 0) {
            marker.reset();
        } else {
            marker = next;
        }
        return true;
    }
};

// The card's fans as far as handing back goes: the GPUs handed back, some of which refuse.
struct FakeDriver {
    uint64_t handedBack = 0;
    uint64_t refusing = 0;
    HandBackMask Hand() {
        return [this](uint64_t held) {
            handedBack |= held & ~refusing;
            return held & refusing;
        };
    }
};

RunIsRunning Running(std::set<uint32_t> pids, std::vector<FanHoldOwner> runs) {
    return [=](const FanHoldOwner& o) {
        for (const auto& r : runs) {
            if (r == o && pids.count(o.processId)) return true;
        }
        return false;
    };
}

TEST(FanHoldMarkerText, RoundTripsAndReadsOlderAndDamagedMarkers) {
    const FanHoldMarker m{kRunTwo, 0b1011};
    EXPECT_EQ(ParseFanHoldMarker(FormatFanHoldMarker(m)), m);
    EXPECT_EQ(FormatFanHoldMarker({{7, 8}, 0b101}), "Velmora fan hold 2\nrun 7 8\ngpus 0 2\n");

    const struct {
        const char* text;
        FanHoldMarker parsed;
    } cases[] = {
        // Older versions: a line of GPU numbers, nobody's run.
        {"0\n", {{}, 0b1}},
        {"0 3\r\n", {{}, 0b1001}},
        {"", {{}, 0}},
        {"Velmora fan hold 2\r\nrun 7 8\r\ngpus 1\r\n", {{7, 8}, 0b10}},
        // A damaged run line names nobody; the GPUs still count.
        {"Velmora fan hold 2\nrun 0 8\ngpus 1\n", {{}, 0b10}},
        {"Velmora fan hold 2\nrun 7\ngpus 1\n", {{}, 0b10}},
        {"Velmora fan hold 2\nrun 4294967296 8\ngpus 1\n", {{}, 0b10}},
        {"Velmora fan hold 2\nrun 7 -8\ngpus 1\n", {{}, 0b10}},
        {"Velmora fan hold 2\nrun 7 99999999999999999999\ngpus 1\n", {{}, 0b10}},
        {"Velmora fan hold 2\nrun 4294967295 18446744073709551615\n",
         {{4294967295u, 18446744073709551615ull}, 0}},
        {"Velmora fan hold 2\ngpus 64 x 2\n", {{}, 0b100}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseFanHoldMarker(c.text), c.parsed) << c.text;
    }
}

TEST(FanHoldMarkerOwner, IsMineRunningOrGone) {
    const RunIsRunning twoRuns = Running({1300}, {kRunTwo});
    EXPECT_EQ(WhoseMarker({kRunOne, 1}, kRunOne, twoRuns), MarkerOwnership::Mine);
    EXPECT_EQ(WhoseMarker({kRunTwo, 1}, kRunOne, twoRuns), MarkerOwnership::RunningRun);
    EXPECT_EQ(WhoseMarker({kRunOne, 1}, kRunTwo, twoRuns), MarkerOwnership::GoneRun);
    // The same process id with another start time is another run.
    EXPECT_EQ(WhoseMarker({kRunOne, 1}, kRunOneIdReused, twoRuns), MarkerOwnership::GoneRun);
    EXPECT_EQ(WhoseMarker({{}, 1}, kRunOne, [](const FanHoldOwner&) { return true; }),
              MarkerOwnership::GoneRun);
}

TEST(FanHoldMarkerRun, WritesItsOwnOverAGoneRunsButLeavesARunningRunsAlone) {
    const RunIsRunning oneRuns = Running({1200}, {kRunOne});
    FakeMarker file;
    EXPECT_TRUE(StoreOwnMarker(file, kRunTwo, 0b1, oneRuns));  // nothing there: written
    EXPECT_EQ(file.marker, (FanHoldMarker{kRunTwo, 0b1}));
    EXPECT_TRUE(StoreOwnMarker(file, kRunTwo, 0b11, oneRuns));
    EXPECT_EQ(file.marker, (FanHoldMarker{kRunTwo, 0b11}));
    EXPECT_TRUE(StoreOwnMarker(file, kRunTwo, 0, oneRuns));
    EXPECT_FALSE(file.marker);

    // A gone run's marker (its guard wrote what it could not hand back) and an older one.
    for (const FanHoldOwner gone : {kRunOneIdReused, FanHoldOwner{}}) {
        file.marker = FanHoldMarker{gone, 0b100};
        EXPECT_TRUE(StoreOwnMarker(file, kRunTwo, 0b1, oneRuns));
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunTwo, 0b1}));
    }
    // Releasing never removes another run's marker.
    file.marker = FanHoldMarker{kRunOne, 0b100};
    EXPECT_TRUE(StoreOwnMarker(file, kRunTwo, 0, oneRuns));
    EXPECT_EQ(file.marker, (FanHoldMarker{kRunOne, 0b100}));
    // A running run's marker is not overwritten.
    EXPECT_FALSE(StoreOwnMarker(file, kRunTwo, 0b1, oneRuns));
    EXPECT_EQ(file.marker, (FanHoldMarker{kRunOne, 0b100}));
    // A file that cannot be written.
    file.marker.reset();
    file.writable = false;
    EXPECT_FALSE(StoreOwnMarker(file, kRunTwo, 0b1, oneRuns));
}

TEST(FanHoldMarkerStart, HandsBackWhatAGoneRunLeftAndOnlyThat) {
    const RunIsRunning nobody = [](const FanHoldOwner&) { return false; };
    {
        // Killed, and its guard killed too; or an older version's marker.
        for (const FanHoldOwner gone : {kRunOne, FanHoldOwner{}}) {
            FakeMarker file;
            FakeDriver driver;
            file.marker = FanHoldMarker{gone, 0b101};
            EXPECT_EQ(HandBackLeftByGoneRun(file, kRunTwo, nobody, driver.Hand()), 0u);
            EXPECT_EQ(driver.handedBack, 0b101u);
            EXPECT_FALSE(file.marker);
        }
    }
    {
        // A fan the driver does not take back yet is this run's to retry.
        FakeMarker file;
        FakeDriver driver;
        driver.refusing = 0b100;
        file.marker = FanHoldMarker{kRunOne, 0b101};
        EXPECT_EQ(HandBackLeftByGoneRun(file, kRunTwo, nobody, driver.Hand()), 0b100u);
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunTwo, 0b100}));
    }
    {
        // A run that still runs keeps its fans and its marker.
        FakeMarker file;
        FakeDriver driver;
        file.marker = FanHoldMarker{kRunOne, 0b1};
        EXPECT_EQ(HandBackLeftByGoneRun(file, kRunTwo, Running({1200}, {kRunOne}), driver.Hand()),
                  0u);
        EXPECT_EQ(driver.handedBack, 0u);
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunOne, 0b1}));
    }
    {
        // No marker: nothing is touched.
        FakeMarker file;
        FakeDriver driver;
        EXPECT_EQ(HandBackLeftByGoneRun(file, kRunTwo, nobody, driver.Hand()), 0u);
        EXPECT_EQ(driver.handedBack, 0u);
        EXPECT_EQ(file.changes, 0);
    }
}

TEST(FanHoldMarkerGuard, HandsBackItsRunsFansAndRemovesOnlyItsRunsMarker) {
    const RunIsRunning nobody = [](const FanHoldOwner&) { return false; };
    {
        // Killed: the channel names the fans, the run's marker goes.
        FakeMarker file;
        FakeDriver driver;
        file.marker = FanHoldMarker{kRunOne, 0b1};
        EXPECT_EQ(GuardHandBack(file, kRunOne, true, 0b11, nobody, driver.Hand()), 0u);
        EXPECT_EQ(driver.handedBack, 0b11u);
        EXPECT_FALSE(file.marker);
    }
    {
        // The marker could not be written: the channel alone says what the run held.
        FakeMarker file;
        FakeDriver driver;
        EXPECT_EQ(GuardHandBack(file, kRunOne, true, 0b1, nobody, driver.Hand()), 0u);
        EXPECT_EQ(driver.handedBack, 0b1u);
        EXPECT_EQ(file.changes, 0);
    }
    {
        // No channel: the run's own marker says it; another run's marker says nothing.
        FakeMarker file;
        FakeDriver driver;
        file.marker = FanHoldMarker{kRunOne, 0b10};
        EXPECT_EQ(GuardHandBack(file, kRunOne, false, 0, nobody, driver.Hand()), 0u);
        EXPECT_EQ(driver.handedBack, 0b10u);
        EXPECT_FALSE(file.marker);
        file.marker = FanHoldMarker{kRunTwo, 0b10};
        driver.handedBack = 0;
        EXPECT_EQ(GuardHandBack(file, kRunOne, false, 0, nobody, driver.Hand()), 0u);
        EXPECT_EQ(driver.handedBack, 0u);
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunTwo, 0b10}));
    }
    {
        // A quick restart: run two handed back run one's marker at its start, fixed GPU 0
        // again and wrote its own marker before run one's guard got to work.
        FakeMarker file;
        FakeDriver driver;
        file.marker = FanHoldMarker{kRunTwo, 0b1};
        EXPECT_EQ(
            GuardHandBack(file, kRunOne, true, 0b11, Running({1300}, {kRunTwo}), driver.Hand()),
            0u);
        EXPECT_EQ(driver.handedBack, 0b10u);  // run two's fan stays run two's
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunTwo, 0b1}));
    }
    {
        // What the driver does not take back stays named for the next start, under run one.
        FakeMarker file;
        FakeDriver driver;
        driver.refusing = 0b10;
        file.marker = FanHoldMarker{kRunOne, 0b11};
        EXPECT_EQ(GuardHandBack(file, kRunOne, true, 0b11, nobody, driver.Hand()), 0b10u);
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunOne, 0b10}));
        file.marker.reset();
        EXPECT_EQ(GuardHandBack(file, kRunOne, true, 0b11, nobody, driver.Hand()), 0b10u);
        EXPECT_EQ(file.marker, (FanHoldMarker{kRunOne, 0b10}));
        // Which the next start then hands back.
        driver.refusing = 0;
        EXPECT_EQ(HandBackLeftByGoneRun(file, kRunTwo, nobody, driver.Hand()), 0u);
        EXPECT_FALSE(file.marker);
    }
}

}  // namespace
}  // namespace velmora
