// The guard's pipe messages: what each side sends, and what a reader makes of
// anything else that may arrive.
#include <gtest/gtest.h>

#include "core/GuardPipe.h"

namespace {

const std::string kNotCounted = kGuardErrorNotCounted;
const std::string kFailed = kGuardErrorFailed;
const GuardAnswer kTwoLines = GuardAnswer::Lines({"今日 taro さん", "あと、1時間 00分"});

}  // namespace

TEST(GuardPipe, RequestsAreExactlyTheKnownForms) {
    const std::pair<GuardRequest, std::string> known[] = {
        // the tray program's, as they always were
        {GuardMethod::Status, "HG1 Status"},
        {GuardMethod::PowerOff, "HG1 PowerOff"},
        // an administrator's: a user name may have blanks and double-byte characters
        {GuardMethod::AdminStatus, "HG1 AdminStatus"},
        {GuardMethod::AdminReload, "HG1 AdminReload"},
        {{GuardMethod::AdminGrant, "Yamada Taro", 30}, "HG1 AdminGrant\nYamada Taro\n30"},
        {{GuardMethod::AdminSet, "\x95\x5C", 0}, "HG1 AdminSet\n\x95\x5C\n0"},
        {{GuardMethod::AdminHistory, "", 3660}, "HG1 AdminHistory\n\n3660"},
    };
    for (const auto& [request, bytes] : known) {
        EXPECT_EQ(EncodeGuardRequest(request), bytes);
        EXPECT_EQ(DecodeGuardRequest(bytes), request) << bytes;
        EXPECT_EQ(GuardMethodNamed(bytes.substr(4, bytes.find('\n') - 4)), request.method);
    }
    // What the pipe cannot carry is not sent at all.
    for (const GuardRequest& request :
         {GuardRequest(GuardMethod::AdminGrant, "a\nb", 1),
          GuardRequest(GuardMethod::AdminSet, std::string("a\0b", 3), 1),
          GuardRequest(GuardMethod::AdminSet, "taro", -1),
          GuardRequest(GuardMethod::AdminSet, "taro", kMaxGuardNumber + 1),
          GuardRequest(GuardMethod::AdminGrant, std::string(kMaxGuardRequestBytes, 'x'), 1),
          GuardRequest(GuardMethod::AdminStatus, "taro"),
          GuardRequest(GuardMethod::Status, "", 1)}) {
        EXPECT_EQ(EncodeGuardRequest(request), "") << request.user;
    }
    const std::string wrong[] = {
        "",
        "HG1 ",
        "HG1 Stat",
        "HG1 Status\n",
        "HG1 status",
        "HG2 Status",
        "\xFF\xFE\x00\x01",
        std::string("HG1 Status\0", 11),
        "HG1 Status" + std::string(kMaxGuardRequestBytes, 'x'),
        "HG1 AdminStatus\ntaro\n1",
        std::string("HG1 AdminSet\nta\0ro\n1", 21),
        "HG1 AdminSet\n" + std::string(kMaxGuardRequestBytes, 'x') + "\n1"};
    for (const std::string tail : {"", "\n", "\n030", "\n-1", "\n+1", "\n1000000", "\n1\n"}) {
        EXPECT_FALSE(DecodeGuardRequest("HG1 AdminGrant\ntaro" + tail).has_value()) << tail;
    }
    for (const std::string& bytes : wrong) {
        EXPECT_FALSE(DecodeGuardRequest(bytes).has_value()) << bytes;
    }
}

TEST(GuardPipe, AnswersRoundTripAndAnythingElseIsRejected) {
    for (const GuardAnswer& answer :
         {kTwoLines, GuardAnswer::Accepted(), GuardAnswer::Error(kNotCounted),
          GuardAnswer::Error(kGuardErrorRefused, "not an administrator"), GuardAnswer::Lines({}),
          GuardAnswer::Lines({"taro\tguest\t12\t120", "", "\t\t"}),
          GuardAnswer::Lines(std::vector<std::string>(kMaxGuardLines, "2026-12-07\t5"))}) {
        EXPECT_EQ(DecodeGuardAnswer(EncodeGuardAnswer(answer)), answer);
    }
    // A line feed or NUL inside a line or a message would forge another line:
    // the line ends there. What does not fit is left out, and the rest decodes.
    const std::pair<GuardAnswer, GuardAnswer> cut[] = {
        {GuardAnswer::Lines({"a\nb", "c"}), GuardAnswer::Lines({"a", "c"})},
        {GuardAnswer::Error(kGuardErrorFailed, "why\nHG1 Accepted"),
         GuardAnswer::Error(kGuardErrorFailed, "why")},
        {GuardAnswer::Error(kGuardErrorFailed, "\nwhy"), GuardAnswer::Error(kGuardErrorFailed)},
        {GuardAnswer::Lines(std::vector<std::string>(kMaxGuardLines + 1, "x")),
         GuardAnswer::Lines(std::vector<std::string>(kMaxGuardLines, "x"))},
        {GuardAnswer::Lines({std::string(kMaxGuardAnswerBytes / 2, 'x'),
                             std::string(kMaxGuardAnswerBytes / 2, 'y'), "z"}),
         GuardAnswer::Lines({std::string(kMaxGuardAnswerBytes / 2, 'x')})},
        {GuardAnswer::Error(kGuardErrorFailed, std::string(kMaxGuardAnswerBytes, 'w')),
         GuardAnswer::Error(kGuardErrorFailed, std::string(kMaxGuardAnswerBytes - kFailed.size() -
                                                               std::string("HG1 Error \n").size(),
                                                           'w'))},
    };
    for (const auto& [sent, received] : cut) {
        EXPECT_EQ(DecodeGuardAnswer(EncodeGuardAnswer(sent)), received);
    }
    const std::pair<std::string, std::optional<GuardAnswer>> cases[] = {
        // well-formed: lines may be empty, and the second byte of a character may be '\'
        {"HG1 Lines\n\n\x95\x5C", GuardAnswer::Lines({"", "\x95\x5C"})},
        {"HG1 Error " + kNotCounted, GuardAnswer::Error(kNotCounted)},
        {"HG1 Error " + kNotCounted + "\nno count", GuardAnswer::Error(kNotCounted, "no count")},
        // truncated
        {"", std::nullopt},
        {"HG1", std::nullopt},
        {"HG1 Accep", std::nullopt},
        {"HG1 Error ", std::nullopt},
        {"HG1 Error \nwhy", std::nullopt},
        {"HG1 Lin", std::nullopt},
        // oversized
        {"HG1 Lines\n" + std::string(kMaxGuardAnswerBytes, 'x'), std::nullopt},
        {"HG1 Lines" + std::string(kMaxGuardLines + 1, '\n'), std::nullopt},
        {"HG1 Error " + std::string(200, 'E'), std::nullopt},
        // garbage
        {"\xFF\xFE garbage", std::nullopt},
        {"HG2 Accepted", std::nullopt},
        {"HG1 Accepted\n", std::nullopt},
        {"HG1 Linesx\na", std::nullopt},
        {std::string("HG1 Lines\na\0b", 13), std::nullopt},
        {"HG1 Error two words", std::nullopt},
        {"HG1 Error " + kNotCounted + "\n", std::nullopt},
        {"HG1 Error " + kNotCounted + "\ntwo\nlines", std::nullopt},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(DecodeGuardAnswer(bytes), expected) << bytes;
}
