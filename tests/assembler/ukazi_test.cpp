// Instruction-set table readers: the shipped tables load, malformed files are refused.
#include "tests/assembler/asm_fixture.h"

#include <cerrno>

#include "assembler/ukazi.h"
#include "base/syserror.h"

namespace {

const std::string kRed = std::string(ORLEK_PROGRAM_DIR) + "/bin/ukazi.red";
const std::string kDat = std::string(ORLEK_PROGRAM_DIR) + "/bin/ukazi.dat";

// Expects construction to throw a TableError whose message names the file.
template <class Table> void ExpectRefused(const std::string& path) {
    try {
        Table t(path);
        FAIL() << "accepted " << path;
    } catch (const TableError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Ne morem prebrati"), std::string::npos) << e.what();
    }
}

TEST(UkaziFastTest, ShippedTableHasEveryMnemonicOnce) {
    TUkaziFast t(kRed);
    EXPECT_EQ(t.Count(), 118u);
    InstructionEntry e;
    ASSERT_TRUE(t.FindInstruction("LDAA", e));
    EXPECT_EQ(e.Name(), "LDAA");
    ASSERT_TRUE(t.FindInstruction("WAI", e));
    EXPECT_EQ(e.ModeCount, 1);
    EXPECT_EQ(e.Modes[0].Opcode, 0x3E);
    // Case-sensitive: the assembler upper-cases before the lookup.
    EXPECT_FALSE(t.FindInstruction("ldaa", e));
    EXPECT_EQ(e.ModeCount, 0);
    // Aliases and directives have no records.
    EXPECT_FALSE(t.FindInstruction("LSLA", e));
    EXPECT_FALSE(t.FindInstruction("ORG", e));
    EXPECT_FALSE(t.FindInstruction("LDAAX", e));
    EXPECT_FALSE(t.FindInstruction("TOOLONGNAME", e));
    EXPECT_FALSE(t.FindInstruction("", e));
    for (size_t i = 0; i < t.Count(); ++i)
        EXPECT_EQ(t.Find(t.Record(i).Name()), &t.Record(i));
}

TEST(UkaziFastTest, AcceptsTheClassic117RecordsAndTakesTheFirstDuplicate) {
    TempDir dir;
    std::string data = ReadFileBytes(kRed);
    std::string first = data.substr(0, 43);
    // 117 records: drop the last one.
    WriteFileBytes(dir.Path() / "117.red", data.substr(0, 117 * 43));
    EXPECT_EQ(TUkaziFast((dir.Path() / "117.red").string()).Count(), 117u);
    // A duplicate of record 1 with another opcode placed later is never found.
    std::string dup = first;
    dup[7 + 6] = static_cast<char>(0xAB);
    WriteFileBytes(dir.Path() / "dup.red", data.substr(0, 117 * 43) + dup);
    TUkaziFast t((dir.Path() / "dup.red").string());
    const InstructionEntry* e = t.Find(std::string(t.Record(0).Name()));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, &t.Record(0));
}

TEST(UkaziFastTest, RefusesMissingShortOddAndCorruptFiles) {
    TempDir dir;
    std::string data = ReadFileBytes(kRed);
    auto path = [&](const char* n) { return (dir.Path() / n).string(); };
    ExpectRefused<TUkaziFast>(path("missing.red"));
    WriteFileBytes(path("empty.red"), "");
    ExpectRefused<TUkaziFast>(path("empty.red"));
    WriteFileBytes(path("116.red"), data.substr(0, 116 * 43));
    ExpectRefused<TUkaziFast>(path("116.red"));
    WriteFileBytes(path("odd.red"), data.substr(0, 117 * 43 + 5));
    ExpectRefused<TUkaziFast>(path("odd.red"));
    WriteFileBytes(path("119.red"), data + data.substr(0, 43));
    ExpectRefused<TUkaziFast>(path("119.red"));
    std::string bad = data;
    bad[6] = 9; // ModeCount beyond the four entries
    WriteFileBytes(path("modes.red"), bad);
    ExpectRefused<TUkaziFast>(path("modes.red"));
    bad = data;
    bad[0] = 7; // mnemonic longer than its field
    WriteFileBytes(path("len.red"), bad);
    ExpectRefused<TUkaziFast>(path("len.red"));
    bad = data;
    bad[7 + 8] = 7; // an instruction of 7 bytes
    WriteFileBytes(path("size.red"), bad);
    ExpectRefused<TUkaziFast>(path("size.red"));
    // A directory is not a table.
    ExpectRefused<TUkaziFast>(dir.Path().string());
    // The assembler cannot be created without its table.
    TMemory memory;
    EXPECT_THROW(TCompiler(memory, dir.Path().string()), TableError);
}

// Every message that carries the system's reason says it in Slovenian, also for reasons
// without a phrase of their own.
TEST(SystemErrorTextTest, ReasonsAreSlovenian) {
    const struct {
        int error;
        const char* text;
    } cases[] = {
        {ENOENT, "datoteka ali mapa ne obstaja"},      {EACCES, "nimate dovoljenja"},
        {ENOSPC, "na disku ni več prostora"},          {EISDIR, "to je mapa"},
        {EROFS, "datotečni sistem je samo za branje"}, {ENAMETOOLONG, "ime je predolgo"},
        {123456, "sistemska napaka 123456"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SystemErrorText(c.error), c.text) << c.error;
    try {
        TUkaziFast t("/nonexistent/bin/ukazi.red");
        FAIL() << "a missing table was read";
    } catch (const TableError& e) {
        EXPECT_EQ(
            std::string(e.what()),
            "Ne morem prebrati tabele ukazov: /nonexistent/bin/ukazi.red (datoteka ali mapa ne obstaja)");
    }
}

TEST(UkaziTest, OpcodeTextsAndRefusals) {
    TUkazi t(kDat);
    EXPECT_FALSE(t.GetOpcodeText(0x86).View().empty()); // LDAA immediate
    EXPECT_TRUE(t.GetOpcodeText(0x00).View().empty());  // not an opcode
    for (int op = 0; op < 256; ++op)
        EXPECT_LE(t.GetOpcodeText(static_cast<uint8_t>(op)).Length, 16);

    TempDir dir;
    std::string data = ReadFileBytes(kDat);
    auto path = [&](const char* n) { return (dir.Path() / n).string(); };
    ExpectRefused<TUkazi>(path("missing.dat"));
    WriteFileBytes(path("short.dat"), data.substr(0, 255 * 17));
    ExpectRefused<TUkazi>(path("short.dat"));
    WriteFileBytes(path("long.dat"), data + "x");
    ExpectRefused<TUkazi>(path("long.dat"));
    std::string bad = data;
    bad[17 * 5] = 17;
    WriteFileBytes(path("len.dat"), bad);
    ExpectRefused<TUkazi>(path("len.dat"));
}

} // namespace
