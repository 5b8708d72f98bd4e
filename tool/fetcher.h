#pragma once

#include "tool/jwkscache.h"

// Fetches over http or https with a bounded time and size, verifying
// https servers against the system's certificates.
Fetcher httpFetcher();
