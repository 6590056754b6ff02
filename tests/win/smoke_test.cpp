#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, AnsiCodePageIs936) {
    EXPECT_EQ(GetACP(), 936u);
}
