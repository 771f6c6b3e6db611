#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace {

struct RecordingOutput : TextOutput {
    std::vector<std::string> lines;
    void TextOut(int x, int y, const std::string& text) override {
        lines.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text);
    }
};

}  // namespace

TEST(ViewDraw, TwoStatusLines) {
    const struct {
        int used;
        std::int64_t now;
        const char* line1;
        const char* line2;
    } cases[] = {
        {0, MakeTime(2026, 12, 7, 17, 0), "0時間 00分", "2時間 30分"},
        {95, MakeTime(2026, 12, 12, 17, 0), "1時間 35分", "2時間 55分"},
        {149, MakeTime(2026, 12, 7, 17, 0), "2時間 29分", "0時間 01分"},
        {150, MakeTime(2026, 12, 7, 17, 0), "2時間 30分", "0時間 00分"},
        {152, MakeTime(2026, 12, 7, 17, 0), "2時間 32分", "0時間 -2分"},
        {225, MakeTime(2026, 12, 7, 17, 0), "3時間 45分", "-1時間 -15分"},
    };
    for (const auto& c : cases) {
        ViewFixture f;
        f.view.m_nMinutesUsed = c.used;
        f.platform.now = c.now;
        RecordingOutput dc;
        f.view.OnDraw(dc);
        EXPECT_EQ(dc.lines, (std::vector<std::string>{
                                "0,0 今日 taro さんは、"s + c.line1 + "使用しました",
                                "0,30 あと、"s + c.line2 + "使用出来ます",
                            }));
    }
}

TEST(ViewDraw, NamesTheLoginNameAndFallsBackToTheWeekdayQuota) {
    ViewFixture f;
    f.platform.userName = std::string();
    f.platform.localTimeFails = true;
    f.view.m_nMinutesUsed = 0;
    RecordingOutput dc;
    f.view.OnDraw(dc);
    EXPECT_EQ(dc.lines[0], "0,0 今日 guest さんは、0時間 00分使用しました");
    EXPECT_EQ(dc.lines[1], "0,30 あと、2時間 30分使用出来ます");
    EXPECT_EQ(f.view.m_strLoginName, "guest");
}
