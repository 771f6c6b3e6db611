// A view wired to a fake platform whose executable lies in a fresh temp directory.
#pragma once

#include "FakePlatform.h"
#include "TempDir.h"
#include "doc/HourgateDoc.h"
#include "usage/HourgateView.h"
#include "usage/UsageRecord.h"

using namespace std::string_literals;
using Events = std::vector<std::string>;

struct ViewFixture {
    TempDir dir;
    FakePlatform platform{dir.path()};
    CHourgateDoc document{platform};
    CHourgateView view{platform, document};

    std::string RecordBytes(const std::string& category = "guest") {
        return dir.Read(category + ".txt");
    }
    void SeedRecord(const UsageRecord& record, const std::string& category = "guest") {
        dir.Write(category + ".txt", FormatUsageRecord(record));
    }
    // Starts usage at the given local time and forgets what start-up did.
    void StartAt(std::int64_t time) {
        platform.now = time;
        view.OnInitialUpdate();
        platform.events.clear();
    }
    // Lets `seconds` of use pass, then runs one tick.
    void Tick(std::int64_t seconds = 60) {
        platform.Advance(seconds);
        view.OnTimer(USAGE_TIMER_ID);
    }
};

// A listed user, so that only the quota rules act.
struct ListedUserFixture : ViewFixture {
    ListedUserFixture() { dir.Write("Hourgate.ini", "taro\n"); }
};
