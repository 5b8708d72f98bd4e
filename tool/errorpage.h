#pragma once

#include "tool/answer.h"
#include "tool/reasons.h"

// The page a refused request gets: what happened and what to do, in
// Japanese first, then in English, with the reason's name for the log.
Answer errorPage(Reason reason);
