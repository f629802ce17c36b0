#pragma once

#include "check/verdict.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace lomarind {

// The counts of a query run, for the user to follow it and to read why queries failed.
class RunTally {
  public:
    explicit RunTally(std::int32_t total = 0) : total_(total) {}

    void add(const CheckOutcome& outcome);

    // "已查询 1234 / 5000：√ 800，× 400，查询失败 34"
    QString progress_text() const;
    // The causes of the failed queries, most frequent first (the first seen first among equals):
    // "原因：安全验证 12 个，无法连接 3 个". Empty when nothing failed.
    QString causes_text() const;
    long long failed() const { return failed_; }

  private:
    struct Cause {
        QString label;
        long long count;
    };

    std::int32_t total_;
    std::int32_t done_ = 0;
    long long indexed_ = 0;
    long long not_indexed_ = 0;
    long long failed_ = 0;
    std::vector<Cause> causes_; // in the order first seen
};

} // namespace lomarind
