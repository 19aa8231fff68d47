#include "answer_times.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace flash410::bench {

namespace {
constexpr double kSlowAnswerMs = 10;
}  // namespace

std::string AnswerTimes::Text() const {
    char text[256];
    std::snprintf(
        text, sizeof text,
        "answer to SEND BLOCK beyond the wire time: first block %.1f ms; the other %d: mean %.2f ms, "
        "median %.2f ms, 90th percentile %.2f ms, longest %.1f ms, %d over %.0f ms",
        firstMs, blocks > 0 ? blocks - 1 : 0, meanMs, medianMs, p90Ms, maxMs, over10Ms, kSlowAnswerMs);
    return text;
}

AnswerTimes SummarizeAnswers(std::vector<double> rounds, double roundWireSeconds) {
    AnswerTimes times;
    times.blocks = static_cast<int>(rounds.size());
    if (rounds.empty()) {
        return times;
    }
    for (double& round : rounds) {
        round = 1000.0 * (round - roundWireSeconds);
    }
    times.firstMs = rounds.front();
    std::vector<double> rest(rounds.begin() + 1, rounds.end());
    if (rest.empty()) {
        return times;
    }
    times.meanMs = std::accumulate(rest.begin(), rest.end(), 0.0) / static_cast<double>(rest.size());
    times.over10Ms = static_cast<int>(
        std::count_if(rest.begin(), rest.end(), [](double ms) { return ms > kSlowAnswerMs; }));
    std::sort(rest.begin(), rest.end());
    times.medianMs = rest[rest.size() / 2];
    times.p90Ms = rest[rest.size() * 9 / 10];
    times.maxMs = rest.back();
    return times;
}

}  // namespace flash410::bench
