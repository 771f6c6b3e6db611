#include "ctl/Ctl.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/Version.h"

namespace {

// A text in both languages; the exe's narrow code page holds the Japanese.
struct Text {
    const char* en;
    const char* ja;
};

constexpr Text kUsage{
    "usage: hourgatectl status [--json]\n"
    "       hourgatectl grant USER MINUTES\n"
    "       hourgatectl set USER MINUTES\n"
    "       hourgatectl reset USER\n"
    "       hourgatectl reload\n"
    "       hourgatectl history [USER] [--days N] [--json]\n"
    "       hourgatectl --help | --version\n",
    "使い方: hourgatectl status [--json]          今日の各ユーザーの使用状況\n"
    "        hourgatectl grant ユーザー 分        今日の時間を追加する\n"
    "        hourgatectl set ユーザー 分          今日の使用時間を直す\n"
    "        hourgatectl reset ユーザー           今日の使用時間を 0 にする\n"
    "        hourgatectl reload                   除外リストと制限ファイルを読み直す\n"
    "        hourgatectl history [ユーザー] [--days N] [--json]  過去の使用時間\n"
    "        hourgatectl --help | --version\n"};

std::vector<std::string> Split(const std::string& row) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(row);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (!row.empty() && row.back() == '\t') fields.emplace_back();
    return fields;
}

bool ParseCount(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 6 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stoi(text);
    return value >= low && value <= high;
}

// Columns, for a terminal: each as wide as its widest cell. Counted in UTF-8,
// whatever the narrow text is (the lead bytes of code page 932 look like UTF-8's
// continuation bytes): a three-byte character, as the CJK ones are, takes two.
std::size_t Utf8Width(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte
        width +=
            c >= 0xE0 && c < 0xF0 && i + 2 < utf8.size() && (utf8[i + 1] & 0xC0) == 0x80 ? 2 : 1;
    }
    return width;
}

void PrintTable(std::ostream& out, const CtlEnvironment& env,
                const std::vector<std::string>& header,
                const std::vector<std::vector<std::string>>& rows) {
    const auto width = [&env](const std::string& text) { return Utf8Width(env.toUtf8(text)); };
    std::vector<std::size_t> widths(header.size(), 0);
    for (std::size_t i = 0; i < header.size(); ++i) widths[i] = width(header[i]);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
            widths[i] = std::max(widths[i], width(row[i]));
        }
    }
    const auto print = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
            line += cells[i];
            if (i + 1 < cells.size()) line += std::string(widths[i] - width(cells[i]) + 2, ' ');
        }
        out << line << "\n";
    };
    print(header);
    for (const auto& row : rows) print(row);
}

}  // namespace

std::optional<CtlCommand> ParseCtlArguments(const std::vector<std::string>& args,
                                            std::string& error) {
    CtlCommand command;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            command.json = true;
        } else if (args[i] == "--days") {
            if (i + 1 >= args.size() || !ParseCount(args[++i], 1, 3660, command.days)) {
                error = "--days takes a number of days from 1 to 3660";
                return std::nullopt;
            }
        } else if (args[i] == "--help" || args[i] == "-h") {
            command.verb = CtlVerb::Help;
            return command;
        } else if (args[i] == "--version") {
            command.verb = CtlVerb::Version;
            return command;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            error = "unknown option " + args[i];
            return std::nullopt;
        } else {
            words.push_back(args[i]);
        }
    }
    if (words.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    const std::string verb = words[0];
    const std::size_t operands = words.size() - 1;
    const auto expect = [&](std::size_t low, std::size_t high) {
        if (operands >= low && operands <= high) return true;
        error = verb + ": wrong number of arguments";
        return false;
    };
    if (verb == "status" && expect(0, 0)) {
        command.verb = CtlVerb::Status;
    } else if ((verb == "grant" || verb == "set") && expect(2, 2)) {
        command.verb = verb == "grant" ? CtlVerb::Grant : CtlVerb::Set;
        command.user = words[1];
        if (!ParseCount(words[2], verb == "grant" ? 1 : 0, 1440, command.minutes)) {
            error =
                verb + ": MINUTES is a number from " + (verb == "grant" ? "1" : "0") + " to 1440";
            return std::nullopt;
        }
    } else if (verb == "reset" && expect(1, 1)) {
        command.verb = CtlVerb::Reset;
        command.user = words[1];
    } else if (verb == "reload" && expect(0, 0)) {
        command.verb = CtlVerb::Reload;
    } else if (verb == "history" && expect(0, 1)) {
        command.verb = CtlVerb::History;
        if (operands == 1) command.user = words[1];
    } else {
        if (error.empty()) error = "unknown command " + verb;
        return std::nullopt;
    }
    if (command.json && command.verb != CtlVerb::Status && command.verb != CtlVerb::History) {
        error = "--json goes with status and history only";
        return std::nullopt;
    }
    return command;
}

int RunCtl(const std::vector<std::string>& args, const GuardCall& call, const CtlEnvironment& env,
           std::ostream& out, std::ostream& err) {
    const auto say = [&env](const Text& text) { return env.japanese ? text.ja : text.en; };
    std::string error;
    const std::optional<CtlCommand> parsed = ParseCtlArguments(args, error);
    if (!parsed) {
        err << "hourgatectl: " << error << "\n" << say(kUsage);
        return 2;
    }
    const CtlCommand& command = *parsed;
    if (command.verb == CtlVerb::Help) {
        out << say(kUsage);
        return 0;
    }
    if (command.verb == CtlVerb::Version) {
        out << "hourgatectl " << HOURGATE_RELEASE << "\n";
        return 0;
    }

    static const char* const kMethods[] = {"AdminStatus", "AdminGrant",  "AdminSet",
                                           "AdminSet",    "AdminReload", "AdminHistory"};
    const int number = command.verb == CtlVerb::History ? command.days : command.minutes;
    const GuardReply reply = call(kMethods[static_cast<int>(command.verb)], command.user, number);
    switch (reply.kind) {
        case GuardReply::Kind::Ok:
            break;
        case GuardReply::Kind::Refused:
            err << "hourgatectl: "
                << say({"refused: only an administrator may do this",
                        "拒否されました: 管理者だけが実行できます"})
                << " (" << reply.message << ")\n";
            return 1;
        case GuardReply::Kind::NotRunning:
            err << "hourgatectl: "
                << say({"the guard service (hourgated) is not running",
                        "ガードサービス (hourgated) が動いていません"})
                << " (" << reply.message << ")\n";
            return 1;
        case GuardReply::Kind::Failed:
            err << "hourgatectl: " << reply.message << "\n";
            return 1;
    }

    std::vector<std::vector<std::string>> rows;
    for (const std::string& row : reply.rows) rows.push_back(Split(row));
    const auto field = [](const std::vector<std::string>& row, std::size_t i) {
        return i < row.size() ? row[i] : std::string();
    };
    switch (command.verb) {
        case CtlVerb::Status:
        case CtlVerb::History: {
            const bool status = command.verb == CtlVerb::Status;
            if (command.json) {
                nlohmann::json list = nlohmann::json::array();
                for (const auto& row : rows) {
                    const auto text = [&](std::size_t i) -> nlohmann::json {
                        const std::string value = field(row, i);
                        return value.empty() ? nlohmann::json() : nlohmann::json(env.toUtf8(value));
                    };
                    const auto count = [&](std::size_t i) {
                        return std::atoi(field(row, i).c_str());
                    };
                    if (status) {
                        list.push_back({{"user", text(0)},
                                        {"category", text(1)},
                                        {"used", count(2)},
                                        {"quota", count(3)},
                                        {"remaining", count(4)},
                                        {"allowed_hours", text(5)},
                                        {"counting", field(row, 6) == "1"},
                                        {"next_warning", text(7)},
                                        {"time_up", text(8)},
                                        {"limits", text(9)}});
                    } else {
                        list.push_back(
                            {{"date", text(0)}, {"minutes", count(1)}, {"category", text(2)}});
                    }
                }
                out << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
                return 0;
            }
            if (status) {
                std::vector<std::vector<std::string>> cells;
                for (const auto& row : rows) {
                    cells.push_back(
                        {field(row, 0), field(row, 1), field(row, 2), field(row, 3), field(row, 4),
                         field(row, 5).empty() ? "-" : field(row, 5),
                         field(row, 6) == "1" ? say({"yes", "はい"}) : say({"no", "いいえ"}),
                         field(row, 7).empty() ? "-" : field(row, 7),
                         field(row, 8).empty() ? "-" : field(row, 8)});
                }
                PrintTable(
                    out, env,
                    env.japanese
                        ? std::vector<std::string>{"ユーザー", "区分", "使用(分)", "上限(分)",
                                                   "残り(分)", "時間帯", "計測中", "警告", "終了"}
                        : std::vector<std::string>{"USER", "CATEGORY", "USED", "QUOTA", "LEFT",
                                                   "HOURS", "COUNTING", "WARNING", "TIME-UP"},
                    cells);
                if (rows.empty())
                    out << say({"(no user known today)", "(今日のユーザーはいません)"}) << "\n";
            } else {
                PrintTable(out, env,
                           env.japanese ? std::vector<std::string>{"日付", "使用(分)", "区分"}
                                        : std::vector<std::string>{"DATE", "MINUTES", "CATEGORY"},
                           rows);
            }
            return 0;
        }
        case CtlVerb::Grant: {
            const std::string category =
                field(rows.empty() ? std::vector<std::string>{} : rows[0], 0);
            const std::string total = field(rows.empty() ? std::vector<std::string>{} : rows[0], 1);
            if (env.japanese) {
                out << command.user << " さんに今日 " << command.minutes
                    << " 分を追加しました (区分 " << category << "、今日の追加は合計 " << total
                    << " 分)\n";
            } else {
                out << "gave " << command.user << " " << command.minutes
                    << " more minutes today (category " << category << ", " << total
                    << " given today in all)\n";
            }
            if (category == "guest") {
                out << say({"note: guest is shared: every user not on the exemption list gets "
                            "these minutes",
                            "注意: guest "
                            "区分は共有です。除外リストにないユーザー全員がこの時間を使えます"})
                    << "\n";
            }
            return 0;
        }
        case CtlVerb::Set:
        case CtlVerb::Reset: {
            const std::string category = rows.empty() ? std::string() : field(rows[0], 0);
            if (env.japanese) {
                out << command.user << " さん (区分 " << category << ") の今日の使用時間を "
                    << command.minutes << " 分にしました\n";
            } else {
                out << "set today's count of " << command.user << " (category " << category
                    << ") to " << command.minutes << " minutes\n";
            }
            return 0;
        }
        case CtlVerb::Reload:
            out << say({"reloaded the exemption list and the limits",
                        "除外リストと制限ファイルを読み直しました"})
                << "\n";
            for (const std::string& problem : reply.rows) out << "  " << problem << "\n";
            return 0;
        default:
            return 0;
    }
}
