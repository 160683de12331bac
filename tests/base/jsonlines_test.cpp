// JSON documents with the line of every value: what the board file and the exercise readers
// point their messages at.
#include <gtest/gtest.h>

#include "base/jsonlines.h"

TEST(JsonLinesTest, EveryKeyAndElementHasItsLine) {
    const TJsonParse parsed = ParseJsonWithLines("{\"a\": 1,\n \"b\": [\n  2,\n  {\"c/d\": 3}]}", 8);
    ASSERT_TRUE(parsed.Json) << parsed.Error;
    const TJsonLines& doc = *parsed.Json;
    EXPECT_EQ(doc.LineOf("/a"), 1);
    EXPECT_EQ(doc.LineOf("/b/0"), 3);
    EXPECT_EQ(doc.LineOf("/b/1/c~1d"), 4);
    // A value the document does not have: the nearest one around it.
    EXPECT_EQ(doc.LineOf("/b/1/e"), 4);
    EXPECT_EQ(JsonPointerToken("c/d~"), "c~1d~0");
}

TEST(JsonLinesTest, FaultsSayWhereTheyAre) {
    const struct {
        const char* text;
        int line, column;
        const char* error;
    } cases[] = {
        // The column counts characters, not bytes.
        {"{\"č\": 1\n \"ž\": 2}", 2, 2,
         "napaka v zapisu JSON pri »\"ž\"« (manjka vejica, narekovaj ali zaklepaj?)"},
        // A character outside ASCII where a token should begin is named by its code, not cut.
        {"{\"a\": č}", 1, 7, "neveljaven znak v zapisu JSON (znak s kodo 196)"},
        {"{\"a\": 1,\n \"a\": 2}", 2, 0, "ključ \"a\" je v istem objektu podan dvakrat"},
        {"{\"a\": [[[1]]]}", 1, 0, "zapis JSON je pregloboko gnezden (več kot 3 ravni)"},
        {"{\"a\":\n", 2, 0, "zapis JSON se nepričakovano konča (manjka zaklepaj ali narekovaj?)"},
    };
    for (const auto& c : cases) {
        const TJsonParse parsed = ParseJsonWithLines(c.text, 3);
        EXPECT_FALSE(parsed.Json) << c.text;
        EXPECT_EQ(parsed.Error, c.error) << c.text;
        EXPECT_EQ(parsed.Line, c.line) << c.text;
        EXPECT_EQ(parsed.Column, c.column) << c.text;
    }
}
