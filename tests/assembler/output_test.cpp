// The listing file and the S-record output.
//
// Golden files live in tests/data/assembler/. After a deliberate change of the output format,
// regenerate them by running the tests once with ORLEK_UPDATE_GOLDEN=1 in the environment
// (e.g. `ORLEK_UPDATE_GOLDEN=1 build/tests/assembler_tests --gtest_filter='*Golden*'`),
// then review the diff before committing.
#include "tests/assembler/asm_fixture.h"

#include <cstdlib>

#include "assembler/srecord.h"
#include "base/encoding.h"

namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(ORLEK_TEST_DATA) / "assembler";

void CompareGolden(const fs::path& golden, const std::string& actual) {
    if (std::getenv("ORLEK_UPDATE_GOLDEN")) {
        WriteFileBytes(golden, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(actual, ReadFileBytes(golden)) << "differs from " << golden;
}

class ListingTest : public AsmTest {
protected:
    TempDir dir;
    fs::path path = dir.Path() / "list.lst";
    void SetUp() override { compiler.ListingPath = path.string(); }
    std::vector<std::string> ListingLines() {
        std::string text = ReadFileBytes(path);
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t i; (i = text.find("\r\n", start)) != std::string::npos; start = i + 2)
            lines.push_back(text.substr(start, i - start));
        EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
        return lines;
    }
    // Only the listing itself is left in the directory: no temporary files.
    void ExpectNoStrayFiles() {
        for (const auto& e : fs::directory_iterator(dir.Path()))
            EXPECT_EQ(e.path().filename(), "list.lst") << e.path();
    }
};

TEST_F(ListingTest, SampleProgramGolden) {
    std::vector<std::string> lines = SplitLines(Utf8ToCp1250(SampleProgram()));
    ASSERT_EQ(Asm(lines), kOk);
    EXPECT_TRUE(compiler.ListingErrors().empty());
    std::vector<std::string> listing = ListingLines();
    ASSERT_EQ(listing.size(), 23u); // up to the END line
    EXPECT_EQ(listing[10], "   11  2000 7F1000      " + lines[10]);
    EXPECT_EQ(listing[21], "   22  2018 20EC        " + lines[21]);
    EXPECT_EQ(listing[0], "    1                   ");
    CompareGolden(kData / "sample.lst", ReadFileBytes(path));
    ExpectNoStrayFiles();
}

TEST_F(ListingTest, ListingTextPerKindOfLine) {
    ASSERT_EQ(Asm({" ORG $FFFE", " FDB S", " ORG $100", "V EQU $ABCD", "S RMB 2", " FCB 7",
                   " FCC \"abcdefghijklmnopqrst\"", " SM $50 1", "!L LDX #V", "* c", " NAM x"}),
              kOk);
    std::vector<std::string> l = ListingLines();
    ASSERT_EQ(l.size(), 12u);
    EXPECT_EQ(l[0], "    1  FFFE              ORG $FFFE");
    EXPECT_EQ(l[1], "    2  FFFE 0100         FDB S");
    EXPECT_EQ(l[3], "    4  ABCD             V EQU $ABCD");
    EXPECT_EQ(l[4], "    5  0100             S RMB 2");
    EXPECT_EQ(l[5], "    6  0102 07           FCB 7");
    // 20 characters: address, space, 40 hex digits, never cut.
    EXPECT_EQ(l[6], "    7  0103 6162636465666768696A6B6C6D6E6F7071727374  FCC \"abcdefghijklmnopqrst\"");
    EXPECT_EQ(l[7], "    8                    SM $50 1");
    EXPECT_EQ(l[8], "    9  0117 CEABCD      !L LDX #V");
    EXPECT_EQ(l[9], "   10                   * c");
    // No END line: the end marker one past the last line.
    EXPECT_EQ(l[11], "   12                    END");
}

TEST_F(ListingTest, VeryLongLinesAreAssembledAndListedWhole) {
    // Longer than the line offsets the first pass keeps for the second, and than one write.
    const std::string remark = " LDAA #1 ; " + std::string(70000, 'x');
    const std::string text = "  FCC \"" + std::string(90, 't') + "\"   " + std::string(70000, 'r');
    ASSERT_EQ(Asm({" ORG $FFFE", " FDB $100", " ORG $100", remark, text, " NOP"}), kOk);
    EXPECT_EQ(memory.Cells[0x101].Value, 0x01);
    EXPECT_EQ(memory.Cells[0x102].Value, 't');
    EXPECT_EQ(memory.Cells[0x15C].Value, 0x01); // NOP after the 90 characters
    std::vector<std::string> l = ListingLines();
    ASSERT_EQ(l.size(), 7u);
    EXPECT_EQ(l[3], "    4  0100 8601" + std::string(8, ' ') + remark);
    EXPECT_EQ(l[4].substr(0, 12), "    5  0102 ");
    EXPECT_EQ(l[4].substr(l[4].size() - text.size() - 1), " " + text);
    EXPECT_EQ(l[5], "    6  015C 01           NOP");
}

TEST_F(ListingTest, ThreeLinesWithoutEndGiveFourListingLines) {
    Asm({" NOP", " NOP", " NOP"});
    std::vector<std::string> l = ListingLines();
    ASSERT_EQ(l.size(), 4u);
    EXPECT_EQ(l[3], "    4                    END");
    Asm({});
    l = ListingLines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0], "    0                     END ");
}

TEST_F(ListingTest, PassTwoFailureEndsTheListingPassOneFailureKeepsTheOldOne) {
    EXPECT_EQ(Asm({" NOP", "L FCB L", " NOP"}), Result(3, Status::OperandError));
    std::vector<std::string> l = ListingLines();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[1], "    2  0001             L FCB L");
    std::string before = ReadFileBytes(path);
    EXPECT_EQ(Asm({" NOP", " FOO"}), Result(3, Status::UnknownInstruction));
    EXPECT_EQ(ReadFileBytes(path), before);
    ExpectNoStrayFiles();
}

TEST_F(ListingTest, FileErrorsAreReportedOncePerKindAndChangeNothing) {
    // Creation fails: one error 1, no per-line errors.
    compiler.ListingPath = (dir.Path() / "no" / "such" / "dir" / "list.lst").string();
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB 0", " NOP", " NOP"}), kOk);
    EXPECT_EQ(compiler.ListingErrors(), std::vector<int>{ListingErrorCode(ListingError::Create)});
    // Where and why, in Slovenian.
    EXPECT_EQ(compiler.ListingProblem(),
              "Ne morem ustvariti datoteke \"" + compiler.ListingPath + "\": datoteka ali mapa ne obstaja");
    // The target is a directory: the file cannot be created there (error 1), no temp file stays.
    fs::create_directory(path);
    compiler.ListingPath = path.string();
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB 0"}), kOk);
    EXPECT_EQ(compiler.ListingErrors(), std::vector<int>{ListingErrorCode(ListingError::Create)});
    EXPECT_TRUE(fs::is_directory(path));
    ExpectNoStrayFiles();
    // The errors belong to one Compile.
    fs::remove(path);
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB 0"}), kOk);
    EXPECT_TRUE(compiler.ListingErrors().empty());
    EXPECT_EQ(ListingErrorMessage(2), "Integrna napaka pri pisanju listinga: 2 (zapomni si stevilko");
    // No path, no listing.
    fs::remove(path);
    compiler.ListingPath.clear();
    EXPECT_EQ(Asm({" ORG $FFFE", " FDB 0"}), kOk);
    EXPECT_FALSE(fs::exists(path));
}

// Checks the structure of every record: type, count, and that the checksum makes the byte sum FF.
void ExpectWellFormedSRecords(const std::string& text) {
    for (const std::string& rec : SplitLines(text)) {
        if (rec.empty()) continue;
        ASSERT_GE(rec.size(), 10u) << rec;
        ASSERT_EQ(rec[0], 'S') << rec;
        unsigned count = std::stoul(rec.substr(2, 2), nullptr, 16);
        ASSERT_EQ(rec.size(), 4 + 2 * count) << rec;
        unsigned sum = 0;
        for (size_t i = 2; i < rec.size(); i += 2)
            sum += std::stoul(rec.substr(i, 2), nullptr, 16);
        EXPECT_EQ(sum & 0xFF, 0xFFu) << rec;
    }
}

TEST_F(AsmTest, SRecordsOfTheSampleGolden) {
    ASSERT_EQ(Asm(SplitLines(Utf8ToCp1250(SampleProgram()))), kOk);
    std::string s19 = MakeSRecords(memory, "sample.asm");
    ExpectWellFormedSRecords(s19);
    CompareGolden(kData / "sample.s19", s19);
    // Writing goes through a temporary file; the result is the same text.
    TempDir dir;
    fs::path out = dir.Path() / "sample.s19";
    WriteSRecords(out.string(), memory, "sample.asm");
    EXPECT_EQ(ReadFileBytes(out), s19);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(AsmTest, SRecordRunsSplitAtGapsAndRecordSize) {
    std::string fcc = " FCC \"" + std::string(40, 'z') + "\"";
    ASSERT_EQ(Asm({" ORG $FFFE", " FDB $0100", " ORG $0100", fcc, " SM $0200 1 2", " ORG $0300", " NOP"}),
              kOk);
    std::string s19 = MakeSRecords(memory, "t", 16);
    ExpectWellFormedSRecords(s19);
    std::vector<std::string> recs = SplitLines(s19);
    // S0, 3 records for 40 bytes, SM run, NOP, vector, S9.
    ASSERT_EQ(recs.size(), 8u);
    EXPECT_EQ(recs[0], "S00400007487");
    EXPECT_EQ(recs[1].substr(0, 8), "S1130100");
    EXPECT_EQ(recs[2].substr(0, 8), "S1130110");
    EXPECT_EQ(recs[3].substr(0, 8), "S10B0120");
    EXPECT_EQ(recs[4], "S10502000102F5");
    EXPECT_EQ(recs[5], "S104030001F7");
    EXPECT_EQ(recs[6], "S105FFFE0100FC");
    EXPECT_EQ(recs[7], "S9030100FB");
    std::string wide = MakeSRecords(memory, "t", 32);
    ExpectWellFormedSRecords(wide);
    EXPECT_NE(wide.find("S1230100"), std::string::npos);
    EXPECT_THROW(MakeSRecords(memory, "t", 0), std::invalid_argument);
    EXPECT_THROW(MakeSRecords(memory, "t", 33), std::invalid_argument);
    // A long name is cut in the header only.
    ExpectWellFormedSRecords(MakeSRecords(memory, std::string(300, 'n')));
    // An unwritable target: a clear message naming the file.
    try {
        WriteSRecords("/nonexistent-dir/x.s19", memory, "x");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/x.s19"), std::string::npos);
    }
}

} // namespace
