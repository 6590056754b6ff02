#include "download/collision_random.h"
#include "download/progress_text.h"

#include <gtest/gtest.h>

using download::ProgressFor;

TEST(ProgressTexts, PercentageAbove100Bytes) {
    auto early = ProgressFor(50, 4000, 3);
    EXPECT_EQ(early.progress, "%");
    EXPECT_EQ(early.caption, "3下载中...");
    EXPECT_FALSE(early.complete);
    EXPECT_EQ(ProgressFor(100, 4000, 3).progress, "%"); // 100, not 0, is the threshold
    EXPECT_EQ(ProgressFor(2000, 4000, 3).progress, "50.00%");
    EXPECT_EQ(ProgressFor(2000, 4000, 3, ',').progress, "50,00%");
    EXPECT_EQ(ProgressFor(202, 303, 0).progress, "66.67%");
    EXPECT_EQ(ProgressFor(101, 303, 0).progress, "33.33%");
    EXPECT_EQ(ProgressFor(101, 4000, 0).progress, "2.53%"); // 2.525 exactly: half up
    EXPECT_EQ(ProgressFor(3999, 4000, 0).progress, "99.98%");
    // A server that sends more than it announced.
    auto over = ProgressFor(8000, 4000, 1);
    EXPECT_EQ(over.progress, "200.00%");
    EXPECT_FALSE(over.complete);
    EXPECT_EQ(ProgressFor(UINT32_MAX, 1, 0).progress, "429496729500.00%");
}

TEST(ProgressTexts, EqualProgressAndMaximumCompletes) {
    auto done = ProgressFor(4000, 4000, 12);
    EXPECT_TRUE(done.complete);
    EXPECT_EQ(done.progress, "100%");
    EXPECT_EQ(done.caption, "完成12");
    auto empty = ProgressFor(0, 0, 0);
    EXPECT_TRUE(empty.complete);
    EXPECT_EQ(empty.caption, "完成0");
    EXPECT_EQ(empty.progress, "100%");
    EXPECT_TRUE(ProgressFor(UINT32_MAX, UINT32_MAX, 5).complete);
    EXPECT_TRUE(ProgressFor(7, 7, 5).complete);
    EXPECT_EQ(download::FailedCaption(4), "失败4");
}

TEST(ProgressTexts, UnknownMaximumShowsTheBytesReceived) {
    EXPECT_EQ(ProgressFor(50, 0, 2).progress, "%");
    auto bytes = ProgressFor(512, 0, 2);
    EXPECT_EQ(bytes.progress, "512 B");
    EXPECT_EQ(bytes.caption, "2下载中...");
    EXPECT_FALSE(bytes.complete);
    EXPECT_EQ(ProgressFor(1024, 0, 2).progress, "1.0 KB");
    EXPECT_EQ(ProgressFor(12800, 0, 2).progress, "12.5 KB");
    EXPECT_EQ(ProgressFor(12800, 0, 2, ',').progress, "12,5 KB");
    EXPECT_EQ(ProgressFor(3 << 20, 0, 2).progress, "3.0 MB");
    EXPECT_EQ(ProgressFor(UINT32_MAX, 0, 2).progress, "4.0 GB");
}

TEST(CollisionRandom, SameSequenceEveryRun) {
    download::CollisionRandom first, second;
    std::vector<uint32_t> draws;
    for (int i = 0; i < 5; ++i) draws.push_back(first.Next(9999));
    EXPECT_EQ(draws, (std::vector<uint32_t>{0, 313, 8609, 2025, 2728}));
    EXPECT_EQ(second.NextPrefix(), "0_");
    EXPECT_EQ(second.NextPrefix(), "313_");
    EXPECT_EQ(second.NextPrefix(), "8609_");
    // The bound scales the same state sequence: the upper half of state x bound.
    download::CollisionRandom r;
    std::vector<uint32_t> percent;
    for (int i = 0; i < 8; ++i) percent.push_back(r.Next(100));
    EXPECT_EQ(percent, (std::vector<uint32_t>{0, 3, 86, 20, 27, 67, 31, 16}));
    EXPECT_EQ(r.Next(1), 0u);
    EXPECT_EQ(r.Next(0), 0u);
}
