#pragma once

#include "tool/context.h"
#include "tool/reasons.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// The fastest the game can be played: no letter is built sooner than this
// after the one before it. The page's reports keep this pace by the game's
// own; a faster report is answered "too fast", and the page sends it again
// after the pause it is told, so that nothing a child builds is lost and no
// line typed into the browser's console posts a finished alphabet at once.
constexpr std::chrono::milliseconds LETTER_MIN_INTERVAL{300};

// The page's report: the letters built of the alphabet's letters.
struct ProgressReport {
    int built = 0;
    int letters = 0;
};

// A JSON object {"built": n, "letters": m} of whole numbers; nothing for
// anything else.
std::optional<ProgressReport> parseProgressReport(std::string_view body);

struct ProgressAnswer {
    Reason reason = Reason::Accepted;
    // For a report too fast: how long until it is taken.
    std::chrono::milliseconds retryAfter{0};
    // A score for the gradebook went into the outbox.
    bool queued = false;
    std::int64_t platformId = 0;
};

// Takes the page's report for the play token of its Authorization header
// ("Bearer ..."): one letter more than the last, or 0 for a new game, in
// order and at the game's pace; the same report again is taken once. A
// score that beats the best this user's line item was given is in the
// outbox before this returns.
ProgressAnswer takeProgress(const std::string& authorization, std::string_view body, const ToolContext& context);

// What a score of built letters tells the platform: the percent of the
// alphabet built, and Started, InProgress or Completed.
int percentBuilt(int built);
std::string activityProgress(int built);
// An instant as ISO 8601 in UTC with milliseconds, as the platform takes it.
std::string isoTimestamp(Instant at);
