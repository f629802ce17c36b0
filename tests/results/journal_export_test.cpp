#include "results/journal_export.h"
#include "text/gbk.h"

#include <gtest/gtest.h>

using namespace lomarind;

namespace {

TEST(ExportHeadings, AreTheGbkTextsOfTheThreeKinds) {
    EXPECT_EQ(HEADING_INDEXED, encode_gbk(QStringLiteral("以下是已经被收录的网址：")));
    EXPECT_EQ(HEADING_ALL, encode_gbk(QStringLiteral("所有网址收录情况如下：")));
    EXPECT_EQ(HEADING_NOT_INDEXED, encode_gbk(QStringLiteral("以下网址尚未被收录：")));
    EXPECT_EQ(HEADING_ALL.size(), 22u);
}

} // namespace
