#include "results/journal_export.h"
#include "results/journals.h"
#include "text/gbk.h"

#include <gtest/gtest.h>
#include <string>

using namespace lomarind;

namespace {

TEST(ExportHeadings, AreTheGbkTextsOfTheThreeKinds) {
    EXPECT_EQ(HEADING_INDEXED, encode_gbk(QStringLiteral("以下是已经被收录的网址：")));
    EXPECT_EQ(HEADING_ALL, encode_gbk(QStringLiteral("所有网址收录情况如下：")));
    EXPECT_EQ(HEADING_NOT_INDEXED, encode_gbk(QStringLiteral("以下网址尚未被收录：")));
    EXPECT_EQ(HEADING_ALL.size(), 22u);
}

std::string joined(const JournalSnapshot& snapshot) {
    std::string text;
    for (const std::string_view piece : snapshot)
        text += piece;
    return text;
}

TEST(JournalForExport, TakesTheHeadingOnceAndBytesThatLaterLinesLeaveAlone) {
    // Lines of many lengths, so that they run over the ends of the journal's blocks.
    Journals journals;
    std::string appended;
    auto append = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const std::string line = std::string(static_cast<std::size_t>(i % 300), 'u') +
                                     std::to_string(i) + ".com  ----\r\n";
            journals.append(JournalKind::All, line);
            appended += line;
        }
    };
    const ExportKind all{JournalKind::All, HEADING_ALL};
    const std::string heading = std::string(HEADING_ALL) + "\r\n";

    EXPECT_EQ(joined(journal_for_export(journals, all)), heading); // an empty journal
    append(0, 1500);
    const JournalSnapshot first = journal_for_export(journals, all);
    const std::string first_bytes = heading + appended;
    append(1500, 3000);
    EXPECT_EQ(joined(first), first_bytes);
    EXPECT_EQ(joined(journal_for_export(journals, all)), heading + appended);
    EXPECT_EQ(journals.copy(JournalKind::All), heading + appended);
    EXPECT_EQ(journals.copy(JournalKind::Indexed), ""); // the others are apart
}

} // namespace
