// A view wired to a fake platform whose executable lies in a fresh temp directory.
#pragma once

#include <filesystem>

#include "FakePlatform.h"
#include "TempDir.h"
#include "core/HourgateDoc.h"
#include "core/HourgateView.h"
#include "core/UsagePolicy.h"
#include "core/UsageRecord.h"

using namespace std::string_literals;
using Events = std::vector<std::string>;

constexpr const char* kWeekdayHours = "さんの使用可能時間は、16時から21時までです";

struct ViewFixture {
    TempDir dir;
    FakePlatform platform{dir.path()};
    CHourgateDoc document{platform};
    CHourgateView view{platform, document};

    std::string RecordBytes(const std::string& category = "guest") {
        return dir.Read(category + ".txt");
    }
    void SeedRecord(const UsageRecord& record) {
        dir.Write("guest.txt", FormatUsageRecord(record));
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
    Events Notices() const { return EventsStartingWith("notice: "); }
    Events Logs() const { return EventsStartingWith("log: "); }
    Events EventsStartingWith(const std::string& prefix) const {
        Events found;
        for (const std::string& e : platform.events) {
            if (e.rfind(prefix, 0) == 0) found.push_back(e);
        }
        return found;
    }
};

struct RecordingOutput : TextOutput {
    Events lines;
    void TextOut(int x, int y, const std::string& text) override {
        lines.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text);
    }
};
