#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/memory.h"
#include "engine/trace.h"

namespace {
TraceCondition Cond(const char* address, const char* data, const char* direction) {
    auto c = ParseCondition(address, data, direction);
    EXPECT_TRUE(c.has_value()) << address << " " << data << " " << direction;
    return c.value_or(TraceCondition{});
}

std::vector<TraceCondition> List(TCoditions& list) {
    std::vector<TraceCondition> out;
    list.Rewind();
    while (!list.AtEnd)
        out.push_back(list.Next());
    return out;
}
} // namespace

TEST(TraceParseTest, PadsAndMasksDigits) {
    TraceCondition c = Cond("1x", "x", "w");
    EXPECT_EQ(c.Address, 0x0010);
    EXPECT_EQ(c.AddressMask, 0xFFF0);
    EXPECT_EQ(c.Data, 0);
    EXPECT_EQ(c.DataMask, 0); // a lone x matches any byte
    EXPECT_EQ(c.Direction, 1);
    EXPECT_TRUE(c.Matches(0x001F, 0x05, 1));
    EXPECT_FALSE(c.Matches(0x0020, 0x05, 1));
    EXPECT_TRUE(c.Matches(0x0010, 0xF5, 1));
    EXPECT_FALSE(c.Matches(0x0010, 0x05, 0));

    c = Cond("aBcD", "xX", "Read");
    EXPECT_EQ(c.Address, 0xABCD);
    EXPECT_EQ(c.AddressMask, 0xFFFF);
    EXPECT_EQ(c.DataMask, 0);
    EXPECT_EQ(c.Direction, 0);
    c = Cond("x", "5", "r"); // padding digits are compared: 000X and 05
    EXPECT_EQ(c.AddressMask, 0xFFF0);
    EXPECT_EQ(c.DataMask, 0xFF);
    EXPECT_EQ(c.Data, 0x05);
    EXPECT_EQ(Cond("0", "0", "r").Direction, 0);
    EXPECT_EQ(Cond("0", "0", "W!").Direction, 1);
}

TEST(TraceParseTest, RejectsMalformedEntries) {
    EXPECT_FALSE(ParseCondition("12345", "00", "R"));
    EXPECT_FALSE(ParseCondition("", "00", "R"));
    EXPECT_FALSE(ParseCondition("1234", "", "R"));
    EXPECT_FALSE(ParseCondition("1234", "123", "R"));
    EXPECT_FALSE(ParseCondition("12G4", "00", "R"));
    EXPECT_FALSE(ParseCondition(" 12", "00", "R"));
    EXPECT_FALSE(ParseCondition("1234", "00", ""));
    EXPECT_FALSE(ParseCondition("1234", "00", "X"));
    EXPECT_FALSE(ParseCondition("1234", "00", " R"));
}

TEST(TraceParseTest, FormatRoundTrips) {
    TraceCondition c = Cond("ffff", "x", "w");
    TraceColumns t = FormatCondition(c);
    EXPECT_EQ(t.Address, "FFFF");
    EXPECT_EQ(t.Data, "xx");
    EXPECT_EQ(t.Direction, "Write");
    EXPECT_EQ(FormatCondition(Cond("20xx", "xx", "r")).Data, "xx");
    EXPECT_EQ(FormatPattern(0x2000, 0xFF00, 4), "20xx");
    EXPECT_EQ(FormatPattern(0x05, 0x0F, 2), "x5");
    for (auto [a, d, r] : {std::tuple{"x1x3", "xA", "R"}, std::tuple{"0", "ff", "W"}}) {
        TraceCondition original = Cond(a, d, r);
        TraceColumns text = FormatCondition(original);
        EXPECT_EQ(ParseCondition(text.Address, text.Data, text.Direction), original);
    }
    TraceColumns row = FormatTraceRow(TraceRow{0x00AB, 0x0C, 1});
    EXPECT_EQ(row.Address, "00AB");
    EXPECT_EQ(row.Data, "0C");
    EXPECT_EQ(row.Direction, "W");
}

TEST(TraceListTest, NewestFirstAndRemoveTakesOneDuplicate) {
    TCoditions list;
    EXPECT_TRUE(List(list).empty());
    TraceCondition a = Cond("1", "1", "R"), b = Cond("2", "2", "W");
    list.Add(a);
    list.Add(b);
    list.Add(a);
    EXPECT_EQ(List(list), (std::vector<TraceCondition>{a, b, a}));
    list.Remove(a);
    EXPECT_EQ(List(list), (std::vector<TraceCondition>{b, a}));
    list.Remove(Cond("3", "3", "R")); // not there: nothing changes
    EXPECT_EQ(list.Count(), 2u);
    list.Remove(a);
    list.Remove(b);
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(List(list).empty());
    list.Add(b);
    list.Clear();
    EXPECT_TRUE(list.AtEnd);
    EXPECT_EQ(list.Count(), 0u);
}

TEST(TraceListTest, RemovingCursorEntryKeepsIterationSafe) {
    TCoditions list;
    TraceCondition a = Cond("1", "1", "R"), b = Cond("2", "2", "R"), c = Cond("3", "3", "R");
    list.Add(a);
    list.Add(b);
    list.Add(c); // c, b, a
    list.Rewind();
    EXPECT_EQ(list.Next(), c); // cursor now on b
    list.Remove(b);
    EXPECT_FALSE(list.AtEnd);
    EXPECT_EQ(list.Next(), a);
    EXPECT_TRUE(list.AtEnd);
    list.Remove(a);
    list.Remove(c);
    list.Next(); // on an empty list: no crash, still at the end
    EXPECT_TRUE(list.AtEnd);
}

TEST(TraceCheckTest, NothingRecordedWithoutTrigger) {
    TTrace trace;
    trace.Qualifiers.Add(Cond("x", "x", "R"));
    trace.Qualifiers.Add(Cond("xxxx", "xx", "W"));
    for (int i = 0; i < 100; ++i)
        trace.Check(static_cast<uint16_t>(i), 0, i & 1);
    EXPECT_FALSE(trace.Triggered);
    EXPECT_TRUE(trace.Rows().empty());
}

TEST(TraceCheckTest, TriggerWithoutQualifierArmsButRecordsNothing) {
    TTrace trace;
    trace.Triggers.Add(Cond("xxxx", "xx", "R"));
    EXPECT_FALSE(trace.Check(0x1234, 0, 0));
    EXPECT_TRUE(trace.Triggered);
    EXPECT_TRUE(trace.Rows().empty());
}

TEST(TraceCheckTest, RecordsQualifiedAccessesFromTheTriggerOn) {
    TTrace trace;
    trace.Triggers.Add(Cond("0000", "XX", "R"));
    trace.Qualifiers.Add(Cond("XXXX", "XX", "W"));
    trace.Qualifiers.Add(Cond("0000", "xx", "R")); // the trigger access is recorded as well
    trace.Check(0x0100, 1, 1);                     // before the trigger
    trace.Check(0x0000, 2, 0);                     // trigger
    trace.Check(0x0200, 3, 0);                     // read, not qualified
    trace.Check(0x0300, 4, 1);
    ASSERT_EQ(trace.Rows().size(), 2u);
    EXPECT_EQ(trace.Rows()[0].Address, 0x0000);
    EXPECT_EQ(trace.Rows()[0].Direction, 0);
    EXPECT_EQ(trace.Rows()[1].Address, 0x0300);
    EXPECT_EQ(trace.Rows()[1].Data, 4);
    // Emptying the rows or changing the lists does not re-arm.
    trace.ClearRows();
    trace.Triggers.Clear();
    trace.Check(0x0400, 5, 1);
    EXPECT_EQ(trace.Rows().size(), 1u);
}

TEST(TraceCheckTest, MemoryOffersOnlyTracedAccessesWhileEnabled) {
    auto memory = std::make_unique<TMemory>();
    TTrace& trace = memory->Trace;
    trace.Triggers.Add(Cond("1000", "xx", "R"));
    trace.Qualifiers.Add(Cond("xxxx", "xx", "W"));
    memory->Read(0x1000, true); // recording off: no effect
    EXPECT_FALSE(trace.Triggered);
    memory->TraceEnabled = true;
    memory->Read(0x1000, false); // a window's read never reaches the trace
    EXPECT_FALSE(trace.Triggered);
    memory->Read(0x1000, true);
    EXPECT_TRUE(trace.Triggered);
    memory->Write(0x2000, MemoryCell{7, 0}, false);
    memory->Write(0x2001, MemoryCell{8, 0}, true);
    ASSERT_EQ(trace.Rows().size(), 1u);
    EXPECT_EQ(trace.Rows()[0].Address, 0x2001);
    memory->Clear();
    EXPECT_FALSE(trace.Triggered);
    EXPECT_EQ(trace.Rows().size(), 1u); // rows belong to the window's list: Clear keeps them
}
