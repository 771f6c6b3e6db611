// The guard's pipe messages: what each side sends, and what a reader makes of
// anything else that may arrive.
#include <gtest/gtest.h>

#include "core/GuardPipe.h"

namespace {

const std::string kNotCounted = kGuardErrorNotCounted;
const GuardAnswer kTwoLines{GuardAnswer::Kind::Lines, {"今日 taro さん", "あと、1時間 00分"}, {}};
const GuardAnswer kAccepted{GuardAnswer::Kind::Accepted, {}, {}};

}  // namespace

TEST(GuardPipe, RequestsAreExactlyTheKnownWords) {
    for (const GuardRequest request : {GuardRequest::Status, GuardRequest::PowerOff}) {
        EXPECT_EQ(DecodeGuardRequest(EncodeGuardRequest(request)), request);
    }
    EXPECT_EQ(EncodeGuardRequest(GuardRequest::PowerOff), "HG1 PowerOff");
    const std::string wrong[] = {"",
                                 "HG1 ",
                                 "HG1 Stat",
                                 "HG1 Status\n",
                                 "HG1 status",
                                 "HG2 Status",
                                 "\xFF\xFE\x00\x01",
                                 std::string("HG1 Status\0", 11),
                                 "HG1 Status" + std::string(kMaxGuardRequestBytes, 'x')};
    for (const std::string& bytes : wrong) {
        EXPECT_FALSE(DecodeGuardRequest(bytes).has_value()) << bytes;
    }
}

TEST(GuardPipe, AnswersRoundTripAndAnythingElseIsRejected) {
    for (const GuardAnswer& answer :
         {kTwoLines, kAccepted, GuardAnswer::Error(kNotCounted),
          GuardAnswer::Error(kGuardErrorRefused), GuardAnswer{GuardAnswer::Kind::Lines, {}, {}}}) {
        EXPECT_EQ(DecodeGuardAnswer(EncodeGuardAnswer(answer)), answer);
    }
    // A line feed or NUL inside a line would forge another line: the line ends there.
    EXPECT_EQ(DecodeGuardAnswer(EncodeGuardAnswer({GuardAnswer::Kind::Lines, {"a\nb", "c"}, {}})),
              (GuardAnswer{GuardAnswer::Kind::Lines, {"a", "c"}, {}}));
    const std::pair<std::string, std::optional<GuardAnswer>> cases[] = {
        // well-formed: lines may be empty, and the second byte of a character may be '\'
        {"HG1 Lines\n\n\x95\x5C", GuardAnswer{GuardAnswer::Kind::Lines, {"", "\x95\x5C"}, {}}},
        {"HG1 Error " + kNotCounted, GuardAnswer::Error(kNotCounted)},
        // truncated
        {"", std::nullopt},
        {"HG1", std::nullopt},
        {"HG1 Accep", std::nullopt},
        {"HG1 Error ", std::nullopt},
        {"HG1 Lin", std::nullopt},
        // oversized
        {"HG1 Lines\n" + std::string(kMaxGuardAnswerBytes, 'x'), std::nullopt},
        {"HG1 Lines\n1\n2\n3\n4\n5", std::nullopt},
        {"HG1 Error " + std::string(200, 'E'), std::nullopt},
        // garbage
        {"\xFF\xFE garbage", std::nullopt},
        {"HG2 Accepted", std::nullopt},
        {"HG1 Accepted\n", std::nullopt},
        {"HG1 Linesx\na", std::nullopt},
        {std::string("HG1 Lines\na\0b", 13), std::nullopt},
        {"HG1 Error two words", std::nullopt},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(DecodeGuardAnswer(bytes), expected) << bytes;
}
