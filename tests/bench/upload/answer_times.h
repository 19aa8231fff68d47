// How long the program took to answer each SEND BLOCK with its block, the wire time taken out.
#pragma once

#include <string>
#include <vector>

namespace flash410::bench {

struct AnswerTimes {
    int blocks = 0;
    double firstMs = 0;  // the first block, which follows the erase
    // Over the blocks after the first.
    double meanMs = 0;
    double medianMs = 0;
    double p90Ms = 0;
    double maxMs = 0;
    int over10Ms = 0;

    std::string Text() const;
};

// rounds: seconds from each SEND BLOCK starting out to its block arriving whole; roundWireSeconds: the
// wire time of the request and the block.
AnswerTimes SummarizeAnswers(std::vector<double> rounds, double roundWireSeconds);

}  // namespace flash410::bench
