#include "tool/progress.h"

#include "design/alphabet.h"
#include "tool/keys.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <ctime>

namespace {

constexpr std::string_view BEARER = "Bearer ";

std::optional<int> wholeNumber(const nlohmann::json& object, const char* name)
{
    const auto member = object.find(name);
    if (member == object.end() || !member->is_number_integer())
        return std::nullopt;
    // The parser keeps a number without a sign unsigned: read as signed, one
    // past INT64_MAX would wrap to a small negative number.
    if (member->is_number_unsigned() && member->get<std::uint64_t>() > 1'000'000)
        return std::nullopt;
    const auto number = member->get<std::int64_t>();
    if (number < -1'000'000 || number > 1'000'000)
        return std::nullopt;
    return static_cast<int>(number);
}

} // namespace

std::optional<ProgressReport> parseProgressReport(std::string_view body)
{
    const nlohmann::json report = nlohmann::json::parse(body, nullptr, false);
    if (!report.is_object())
        return std::nullopt;
    const std::optional<int> built = wholeNumber(report, "built");
    const std::optional<int> letters = wholeNumber(report, "letters");
    if (!built || !letters)
        return std::nullopt;
    return ProgressReport{*built, *letters};
}

int percentBuilt(int built)
{
    return (200 * built + LETTER_COUNT) / (2 * LETTER_COUNT);
}

std::string activityProgress(int built)
{
    if (built == 0)
        return "Started";
    return built == LETTER_COUNT ? "Completed" : "InProgress";
}

std::string isoTimestamp(Instant at)
{
    const auto seconds = std::chrono::floor<std::chrono::seconds>(at);
    const std::time_t time = seconds.time_since_epoch().count();
    std::tm utc{};
    gmtime_r(&time, &utc);
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text.data() + length, text.size() - length, ".%03dZ",
                  static_cast<int>((at - seconds).count() % 1000));
    return text.data();
}

ProgressAnswer takeProgress(const std::string& authorization, std::string_view body, const ToolContext& context)
{
    ProgressAnswer answer;
    const auto refuse = [&answer](Reason reason) {
        answer.reason = reason;
        return answer;
    };
    if (!authorization.starts_with(BEARER) || authorization.size() == BEARER.size())
        return refuse(Reason::PlayTokenMissing);
    const std::string tokenHash = sha256Hex(std::string_view(authorization).substr(BEARER.size()));
    const std::optional<PlayToken> token = context.store.playToken(tokenHash);
    if (!token)
        return refuse(Reason::PlayTokenUnknown);
    answer.platformId = token->platformId;
    const Instant now = context.instant();
    if (std::chrono::floor<std::chrono::seconds>(now) >= token->expiresAt)
        return refuse(Reason::PlayTokenExpired);

    const std::optional<ProgressReport> report = parseProgressReport(body);
    if (!report || report->letters != LETTER_COUNT || report->built < 0 || report->built > LETTER_COUNT)
        return refuse(Reason::ProgressMalformed);
    // The same report again: the page did not hear the answer to it.
    if (report->built == token->built)
        return answer;
    // One letter more, or a new game from A.
    if (report->built != 0 && report->built != token->built + 1)
        return refuse(Reason::ProgressOutOfOrder);
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(now - token->reportedAt);
    if (report->built != 0 && since < LETTER_MIN_INTERVAL) {
        answer.retryAfter = LETTER_MIN_INTERVAL - since;
        return refuse(Reason::ProgressTooFast);
    }

    const Score score{0,
                      token->platformId,
                      token->lineItemUrl,
                      token->userId,
                      percentBuilt(report->built),
                      activityProgress(report->built),
                      isoTimestamp(now),
                      0};
    answer.queued = context.store.saveProgress(tokenHash, report->built, now, score);
    return answer;
}
