#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace {

struct RecordingOutput : TextOutput {
    Events lines;
    void TextOut(int x, int y, const std::string& text) override {
        lines.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text);
    }
};

}  // namespace

TEST(ViewDraw, TwoStatusLinesAgainstTheQuotaOfTheDayOfDrawing) {
    const struct {
        std::optional<std::string> user;
        int used;
        int day;  // 7 Monday, 12 Saturday, 0 local time fails
        const char* line1;
        const char* line2;
    } cases[] = {
        {"taro", 95, 12, "taro さんは、1時間 35分", "2時間 55分"},
        {"taro", 150, 7, "taro さんは、2時間 30分", "0時間 00分"},
        {"taro", 225, 7, "taro さんは、3時間 45分", "-1時間 -15分"},
        {"", 0, 0, "guest さんは、0時間 00分", "2時間 30分"},
    };
    for (const auto& c : cases) {
        ViewFixture f;
        f.platform.userName = c.user;
        f.platform.localTimeFails = c.day == 0;
        f.platform.now = MakeTime(2026, 12, c.day ? c.day : 7, 17, 0);
        f.view.m_nMinutesUsed = c.used;
        RecordingOutput dc;
        f.view.OnDraw(dc);
        EXPECT_EQ(dc.lines, (Events{"0,0 今日 "s + c.line1 + "使用しました",
                                    "0,30 あと、"s + c.line2 + "使用出来ます"}));
    }
}
