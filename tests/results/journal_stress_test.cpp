// Exports while a run appends: every snapshot must be consistent, and stay as it was taken while
// the appends go on. Built with ThreadSanitizer too.
#include "check/verdict.h"
#include "results/journal_export.h"
#include "results/journals.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace lomarind;

namespace {

// The snapshot's bytes, read (as an export writes them) outside the journals' lock.
std::string joined(const JournalSnapshot& snapshot) {
    std::string text;
    for (const std::string_view piece : snapshot)
        text += piece;
    return text;
}

std::string url_of(int i) {
    return "www.example.com/page" + std::to_string(i) + ".html";
}

// Checks that a copy is the heading line once, then whole verdict lines of consecutive rows
// from the first one on, each judged as the run judges it.
void expect_consistent(const std::string& copy, const ExportKind& kind, int step) {
    const std::string heading = std::string(kind.heading) + "\r\n";
    ASSERT_TRUE(copy.starts_with(heading));
    ASSERT_EQ(copy.find(kind.heading, heading.size()), std::string::npos);
    std::size_t pos = heading.size();
    for (int i = 0; pos < copy.size(); ++i) {
        if (kind.journal == JournalKind::Indexed && i % step != 0)
            continue;
        if (kind.journal == JournalKind::Unindexed && i % step == 0)
            continue;
        const IndexVerdict v = i % step == 0 ? IndexVerdict::Indexed : IndexVerdict::NotIndexed;
        const std::string line = verdict_line(url_of(i), v);
        ASSERT_EQ(copy.compare(pos, line.size(), line), 0) << "row " << i;
        pos += line.size();
    }
}

TEST(JournalStress, ExportsDuringARunAreConsistentSnapshots) {
    constexpr int kRows = 20'000;
    constexpr int kStep = 3;
    Journals journals;
    std::atomic<bool> done{false};
    std::thread run([&] {
        for (int i = 0; i < kRows; ++i) {
            const IndexVerdict v =
                i % kStep == 0 ? IndexVerdict::Indexed : IndexVerdict::NotIndexed;
            const std::string line = verdict_line(url_of(i), v);
            journals.append(
                v == IndexVerdict::Indexed ? JournalKind::Indexed : JournalKind::Unindexed, line);
            journals.append(JournalKind::All, line);
        }
        done = true;
    });
    const ExportKind kinds[] = {{JournalKind::All, HEADING_ALL},
                                {JournalKind::Indexed, HEADING_INDEXED},
                                {JournalKind::Unindexed, HEADING_NOT_INDEXED}};
    int exports = 0;
    JournalSnapshot earlier;
    std::string earlier_bytes;
    while (!done || exports < 30) {
        const ExportKind& kind = kinds[exports % 3];
        const JournalSnapshot snapshot = journal_for_export(journals, kind);
        expect_consistent(joined(snapshot), kind, kStep);
        // A snapshot taken before keeps its bytes while lines are appended after them.
        ASSERT_EQ(joined(earlier), earlier_bytes);
        earlier = snapshot;
        earlier_bytes = joined(snapshot);
        ++exports;
    }
    run.join();
    for (const ExportKind& kind : kinds) {
        const std::string last = joined(journal_for_export(journals, kind));
        expect_consistent(last, kind, kStep);
        if (kind.journal == JournalKind::All) {
            EXPECT_EQ(std::count(last.begin(), last.end(), '\n'), kRows + 1);
        }
    }
}

} // namespace
