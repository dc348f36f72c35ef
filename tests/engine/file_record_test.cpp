#include "engine/file_record.h"

#include <gtest/gtest.h>

namespace {

TCalendarTime At(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute, uint16_t second,
                 uint16_t millisecond) {
  return {year, month, day, hour, minute, second, millisecond};
}

TExistingTarget ExistingAt(const TCalendarTime& time) {
  TExistingTarget target;
  target.exists = true;
  target.timeKnown = true;
  target.time = time;
  return target;
}

const TCalendarTime kBase = At(2021, 6, 15, 12, 30, 45, 500);

}  // namespace

TEST(CalendarLater, EachFieldOutranksAllSmallerOnes) {
  // A later value in one field wins even when every smaller field is lower.
  EXPECT_TRUE(CalendarLater(At(2022, 1, 1, 0, 0, 0, 0), At(2021, 12, 31, 23, 59, 59, 999)));
  EXPECT_TRUE(CalendarLater(At(2021, 7, 1, 0, 0, 0, 0), kBase));
  EXPECT_TRUE(CalendarLater(At(2021, 6, 16, 0, 0, 0, 0), kBase));
  EXPECT_TRUE(CalendarLater(At(2021, 6, 15, 13, 0, 0, 0), kBase));
  EXPECT_TRUE(CalendarLater(At(2021, 6, 15, 12, 31, 0, 0), kBase));
  EXPECT_TRUE(CalendarLater(At(2021, 6, 15, 12, 30, 46, 0), kBase));
  EXPECT_TRUE(CalendarLater(At(2021, 6, 15, 12, 30, 45, 501), kBase));
  EXPECT_FALSE(CalendarLater(kBase, kBase)) << "equal to the millisecond is not later";
  EXPECT_FALSE(CalendarLater(At(2021, 6, 15, 12, 30, 45, 499), kBase));
  EXPECT_FALSE(CalendarLater(At(2020, 12, 31, 23, 59, 59, 999), kBase));
}

TEST(ShouldWriteFile, AMissingTargetIsAlwaysWritten) {
  for (int32_t rule : {0, 1, 2, 3, -1, 1000})
    EXPECT_TRUE(ShouldWriteFile(rule, TExistingTarget{}, true, kBase)) << rule;
}

TEST(ShouldWriteFile, AnExistingTargetFollowsTheRule) {
  const TExistingTarget existing = ExistingAt(kBase);
  const TCalendarTime later = At(2021, 6, 15, 12, 30, 45, 501);
  const TCalendarTime earlier = At(2021, 6, 15, 12, 30, 45, 499);

  EXPECT_FALSE(ShouldWriteFile(kKeepExisting, existing, true, later));
  EXPECT_TRUE(ShouldWriteFile(kOverwriteExisting, existing, true, earlier));
  EXPECT_TRUE(ShouldWriteFile(kOverwriteWhenNewer, existing, true, later));
  EXPECT_FALSE(ShouldWriteFile(kOverwriteWhenNewer, existing, true, kBase));
  EXPECT_FALSE(ShouldWriteFile(kOverwriteWhenNewer, existing, true, earlier));
  // Values the builder never writes keep the file, whatever the times say.
  for (int32_t rule : {3, -1, 256, 0x7FFFFFFF}) EXPECT_FALSE(ShouldWriteFile(rule, existing, true, later)) << rule;
}

TEST(ShouldWriteFile, Rule2WritesOverAnUnreadableTimeButNeverWithAnArchivedTimeThatHasNoDate) {
  TExistingTarget unreadable;
  unreadable.exists = true;
  EXPECT_TRUE(ShouldWriteFile(kOverwriteWhenNewer, unreadable, true, kBase));
  EXPECT_TRUE(ShouldWriteFile(kOverwriteWhenNewer, unreadable, false, TCalendarTime{}));
  EXPECT_FALSE(ShouldWriteFile(kOverwriteWhenNewer, ExistingAt(At(1601, 1, 1, 0, 0, 0, 0)), false, TCalendarTime{}));
  EXPECT_FALSE(ShouldWriteFile(kKeepExisting, unreadable, true, kBase));
}

TEST(FileTimeFromText, ReadsDecimalWithSignAndWrapsAt64Bits) {
  EXPECT_EQ(FileTimeFromText("132679852345678901"), 132679852345678901u);
  EXPECT_EQ(FileTimeFromText("+42"), 42u);
  EXPECT_EQ(FileTimeFromText("-1"), UINT64_MAX);
  EXPECT_EQ(FileTimeFromText("-0"), 0u);
  EXPECT_EQ(FileTimeFromText("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(FileTimeFromText("18446744073709551616"), 0u) << "2^64 wraps to 0";
  EXPECT_EQ(FileTimeFromText("18446744073709551626"), 10u);
  // Above 2^32: the high half must survive, unlike a 32-bit script integer.
  EXPECT_EQ(FileTimeFromText("4294967296"), 0x100000000u);
  EXPECT_EQ(FileTimeFromText("125x99"), 125u);
  EXPECT_EQ(FileTimeFromText(" 125"), 0u) << "no space is skipped";
  EXPECT_EQ(FileTimeFromText("--5"), 0u);
  EXPECT_EQ(FileTimeFromText(""), 0u);
  EXPECT_EQ(FileTimeFromText("+"), 0u);
}
