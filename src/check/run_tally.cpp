#include "check/run_tally.h"

#include <QStringList>
#include <algorithm>

namespace lomarind {
namespace {

// More distinct causes than this are summed up as one: the notice stays a few lines long.
constexpr std::size_t MAX_CAUSES_SHOWN = 6;

} // namespace

void RunTally::add(const CheckOutcome& outcome) {
    ++done_;
    switch (outcome.verdict) {
    case IndexVerdict::Indexed:
        ++indexed_;
        return;
    case IndexVerdict::NotIndexed:
        ++not_indexed_;
        return;
    case IndexVerdict::QueryFailed:
        break;
    }
    ++failed_;
    const QString label = reason_label(outcome.reason, outcome.detail);
    const auto known = std::find_if(causes_.begin(), causes_.end(),
                                    [&](const Cause& c) { return c.label == label; });
    if (known != causes_.end())
        ++known->count;
    else
        causes_.push_back({label, 1});
}

QString RunTally::progress_text() const {
    return QStringLiteral("已查询 %1 / %2：√ %3，× %4，查询失败 %5")
        .arg(done_)
        .arg(total_)
        .arg(indexed_)
        .arg(not_indexed_)
        .arg(failed_);
}

QString RunTally::causes_text() const {
    if (causes_.empty())
        return {};
    std::vector<Cause> sorted = causes_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Cause& a, const Cause& b) { return a.count > b.count; });
    QStringList parts;
    long long others = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (i < MAX_CAUSES_SHOWN)
            parts << QStringLiteral("%1 %2 个").arg(sorted[i].label).arg(sorted[i].count);
        else
            others += sorted[i].count;
    }
    if (others > 0)
        parts << QStringLiteral("其他 %1 个").arg(others);
    return QStringLiteral("原因：") + parts.join(QStringLiteral("，"));
}

} // namespace lomarind
