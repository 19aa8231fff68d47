// fault-campaign: runs plans drawn from a seed and prints a table of how the uploads ended, the uploads a
// second, and every breach with its seed, plan number and plan. Exit status 1 when any promise broke.
//
//   fault-campaign [--seed N|today] [--plans N] [--first N]
//   fault-campaign --seed N --plan K      replays one plan and tells its end
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "campaign/campaign_plan.h"
#include "campaign/campaign_run.h"
#include "history/upload_record.h"

namespace {

using flash410::upload::UploadOutcome;

constexpr std::uint64_t kDefaultSeed = 410;

// The seed of the day: its date as a number, 20261209 say, so that each day's campaign is another one
// and a breach found today can be replayed tomorrow.
std::uint64_t SeedOfTheDay() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return static_cast<std::uint64_t>((utc.tm_year + 1900) * 10000 + (utc.tm_mon + 1) * 100 + utc.tm_mday);
}

struct Options {
    std::uint64_t seed = kDefaultSeed;
    std::uint64_t plans = 2000;
    std::uint64_t first = 0;
    std::optional<std::uint64_t> plan;
};

std::optional<Options> Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i];
        const std::string value = argv[i + 1];
        try {
            if (name == "--seed") {
                options.seed = value == "today" ? SeedOfTheDay() : std::stoull(value);
            } else if (name == "--plans") {
                options.plans = std::stoull(value);
            } else if (name == "--first") {
                options.first = std::stoull(value);
            } else if (name == "--plan") {
                options.plan = std::stoull(value);
            } else {
                return std::nullopt;
            }
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    if (argc % 2 == 0) {
        return std::nullopt;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = Parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: fault-campaign [--seed N|today] [--plans N] [--first N] | --seed N --plan K\n");
        return 2;
    }
    using namespace flash410::campaign;
    if (options->plan) {
        const CampaignPlan plan = DrawPlan(options->seed, *options->plan);
        std::printf("%s\n", DescribePlan(plan).c_str());
        const PlanRun run = RunPlan(plan, [](const std::string& line) { std::printf("%s\n", line.c_str()); });
        if (run.result) {
            std::printf("ended as %s after %.1f s of virtual time, %d blocks sent: %s\n",
                        flash410::history::OutcomeName(run.result->Outcome).c_str(), run.virtualSeconds,
                        run.result->BlocksSent, run.result->Detail.c_str());
        }
        for (const std::string& breach : run.breaches) std::printf("BREACH: %s\n", breach.c_str());
        return run.breaches.empty() ? 0 : 1;
    }

    // The plans shared out among a worker a processor; each plan's run is its own, so the table and the
    // breaches are the same whatever the number of workers.
    struct Finished {
        CampaignPlan plan;
        PlanRun run;
    };
    std::vector<Finished> finished(options->plans);
    std::atomic<std::uint64_t> next = 0;
    const auto started = std::chrono::steady_clock::now();
    {
        std::vector<std::jthread> workers;
        for (unsigned i = 0; i < std::max(1U, std::thread::hardware_concurrency()); ++i) {
            workers.emplace_back([&] {
                for (std::uint64_t index = next++; index < options->plans; index = next++) {
                    CampaignPlan plan = DrawPlan(options->seed, options->first + index);
                    PlanRun run = RunPlan(plan);
                    finished[index] = {std::move(plan), std::move(run)};
                }
            });
        }
    }
    std::map<UploadOutcome, std::uint64_t> ends;
    std::uint64_t breached = 0;
    double virtualSeconds = 0;
    for (const auto& [plan, run] : finished) {
        if (run.result) {
            ++ends[run.result->Outcome];
            virtualSeconds += run.virtualSeconds;
        }
        if (!run.breaches.empty()) {
            ++breached;
            std::printf("BREACH in %s\n", DescribePlan(plan).c_str());
            for (const std::string& breach : run.breaches) std::printf("    %s\n", breach.c_str());
            std::printf("    replay: fault-campaign --seed %llu --plan %llu\n",
                        static_cast<unsigned long long>(plan.seed),
                        static_cast<unsigned long long>(plan.number));
        }
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Fault campaign, seed %llu, plans %llu to %llu:\n",
                static_cast<unsigned long long>(options->seed),
                static_cast<unsigned long long>(options->first),
                static_cast<unsigned long long>(options->first + options->plans - 1));
    for (const auto& [outcome, count] : ends) {
        std::printf("    %-18s %8llu\n", flash410::history::OutcomeName(outcome).c_str(),
                    static_cast<unsigned long long>(count));
    }
    std::printf("%llu uploads in %.1f s: %.0f uploads a second, %.1f hours of virtual time\n",
                static_cast<unsigned long long>(options->plans), wall, options->plans / wall,
                virtualSeconds / 3600);
    std::printf("%llu passed, %llu failed\n", static_cast<unsigned long long>(options->plans - breached),
                static_cast<unsigned long long>(breached));
    return breached == 0 ? 0 : 1;
}
