// The data files isa-gen writes into the program directory.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "isa/isa.h"

namespace fs = std::filesystem;

namespace {

const fs::path kProgramDir = ORLEK_PROGRAM_DIR;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

uint8_t Byte(const std::string& data, std::size_t at) { return static_cast<uint8_t>(data.at(at)); }

struct Record {
    std::string mnemonic;
    int modeCount = 0;
    std::vector<std::array<uint8_t, 9>> entries;
};

std::vector<Record> DecodeUkaziRed(const std::string& data) {
    std::vector<Record> records;
    for (std::size_t at = 0; at + 43 <= data.size(); at += 43) {
        Record r;
        r.mnemonic = data.substr(at + 1, Byte(data, at));
        r.modeCount = Byte(data, at + 6);
        for (int i = 0; i < 4; ++i) {
            std::array<uint8_t, 9> e{};
            for (int k = 0; k < 9; ++k)
                e[k] = Byte(data, at + 7 + i * 9 + k);
            r.entries.push_back(e);
        }
        records.push_back(r);
    }
    return records;
}

int RunGenerator(const fs::path& dir) {
    std::string cmd = std::string("\"") + ISA_GEN + "\" \"" + dir.string() + "\" 2>/dev/null";
    int rc = std::system(cmd.c_str());
    return rc == -1 ? -1 : WEXITSTATUS(rc);
}

class IsaGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("orlek-isa-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

bool HasTempLeftovers(const fs::path& root) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().filename().string().find(".tmp") != std::string::npos) return true;
    }
    return false;
}

} // namespace

TEST(IsaFilesTest, UkaziRedDecodesBackToTheTable) {
    const std::string data = ReadAll(kProgramDir / "bin" / "ukazi.red");
    ASSERT_EQ(data.size(), 118u * 43u);
    std::vector<Record> records = DecodeUkaziRed(data);
    ASSERT_EQ(records.size(), 118u);

    std::vector<std::string> mnemonics = IsaMnemonics();
    std::size_t rowsSeen = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        EXPECT_EQ(r.mnemonic, mnemonics[i]);
        EXPECT_EQ(Byte(data, i * 43), r.mnemonic.size());
        ASSERT_GE(r.modeCount, 1);
        ASSERT_LE(r.modeCount, 4);
        for (int k = int(r.mnemonic.size()); k < 5; ++k)
            EXPECT_EQ(Byte(data, i * 43 + 1 + k), 0) << r.mnemonic;
        for (int e = 0; e < 4; ++e) {
            const auto& entry = r.entries[e];
            for (int k = 0; k < 6; ++k)
                EXPECT_EQ(entry[k], 0) << r.mnemonic << " reserved byte";
            if (e >= r.modeCount) {
                EXPECT_EQ(entry[6] | entry[7] | entry[8], 0) << r.mnemonic << " unused entry";
                continue;
            }
            const IsaEntry* row = IsaFindOpcode(entry[6]);
            ASSERT_NE(row, nullptr) << r.mnemonic;
            EXPECT_EQ(row->Mnemonic, r.mnemonic);
            EXPECT_EQ(static_cast<uint8_t>(row->Mode), entry[7]) << r.mnemonic;
            EXPECT_EQ(row->Size, entry[8]) << r.mnemonic;
            ++rowsSeen;
        }
        // A branch is recognised by exactly this shape.
        if (r.entries[0][7] == static_cast<uint8_t>(AddressingMode::Relative)) {
            EXPECT_EQ(r.modeCount, 1) << r.mnemonic;
            EXPECT_EQ(r.entries[0][8], 2) << r.mnemonic;
        }
    }
    EXPECT_EQ(rowsSeen, IsaTable().size());
}

TEST(IsaFilesTest, UkaziDatHoldsTheOpcodeTexts) {
    const std::string data = ReadAll(kProgramDir / "bin" / "ukazi.dat");
    ASSERT_EQ(data.size(), 256u * 17u);
    int empty = 0;
    for (int op = 0; op < 256; ++op) {
        const std::size_t at = std::size_t(op) * 17;
        const int len = Byte(data, at);
        ASSERT_LE(len, 16) << op;
        EXPECT_EQ(data.substr(at + 1, len), IsaOpcodeText(static_cast<uint8_t>(op))) << op;
        for (int k = len; k < 16; ++k)
            EXPECT_EQ(Byte(data, at + 1 + k), 0) << op;
        empty += len == 0;
    }
    EXPECT_EQ(empty, 36);
}

TEST(IsaFilesTest, HelpDatLinesParseAndPointAtPages) {
    std::ifstream in(kProgramDir / "help" / "help.dat", std::ios::binary);
    ASSERT_TRUE(in) << "help.dat missing";
    std::map<std::string, std::string> keys;
    for (std::string line; std::getline(in, line);) {
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.find('\r'), std::string::npos);
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        ASSERT_EQ(line.find('\t', tab + 1), std::string::npos) << line;
        std::string key = line.substr(0, tab), file = line.substr(tab + 1);
        for (char c : key)
            EXPECT_TRUE(c >= 'A' && c <= 'Z') << line;
        EXPECT_TRUE(keys.emplace(key, file).second) << key << " twice";
        EXPECT_TRUE(fs::is_regular_file(kProgramDir / "help" / "commands" / file)) << file;
    }
    for (const std::string& m : IsaMnemonics())
        EXPECT_EQ(keys[m], m + ".htm");
    EXPECT_EQ(keys["LSL"], "ASL.htm");
    EXPECT_EQ(keys["LSLA"], "ASLA.htm");
    EXPECT_EQ(keys["LSLB"], "ASLB.htm");
    EXPECT_EQ(keys["LSLD"], "ASLD.htm");
    EXPECT_EQ(keys["BHS"], "BCC.htm");
    EXPECT_EQ(keys["BLO"], "BCS.htm");
    EXPECT_EQ(keys.size(), 118u + 6u);
}

TEST(IsaFilesTest, HelpPagesDescribeEveryMode) {
    const std::string index = ReadAll(kProgramDir / "help" / "commands.htm");
    EXPECT_NE(index.find("<meta charset=\"utf-8\">"), std::string::npos);
    for (const std::string& m : IsaMnemonics()) {
        EXPECT_NE(index.find("href=\"commands/" + m + ".htm\""), std::string::npos) << m;
    }
    const std::string ldaa = ReadAll(kProgramDir / "help" / "commands" / "LDAA.htm");
    for (const char* needle :
         {"Naloži operand v A", "$86", "$96", "$A6", "$B6", "href=\"../commands.htm\""}) {
        EXPECT_NE(ldaa.find(needle), std::string::npos) << needle;
    }
    EXPECT_EQ(ldaa.find("&lt;"), std::string::npos);
}

TEST_F(IsaGeneratorTest, GeneratorReproducesTheInstalledFiles) {
    ASSERT_EQ(RunGenerator(dir), 0);
    for (const char* f :
         {"bin/ukazi.red", "bin/ukazi.dat", "help/help.dat", "help/commands.htm", "help/commands/WAI.htm"}) {
        EXPECT_EQ(ReadAll(dir / f), ReadAll(kProgramDir / f)) << f;
    }
    EXPECT_FALSE(HasTempLeftovers(dir));
}

TEST_F(IsaGeneratorTest, GeneratorFailsCleanlyOnUnwritableTargets) {
    // A file where the bin folder should be.
    std::ofstream(dir / "bin") << "x";
    EXPECT_NE(RunGenerator(dir), 0);

    // A folder where one output file should be: the rename fails, nothing half-written stays.
    fs::remove(dir / "bin");
    fs::create_directories(dir / "bin" / "ukazi.dat" / "occupied");
    EXPECT_NE(RunGenerator(dir), 0);
    EXPECT_TRUE(fs::is_directory(dir / "bin" / "ukazi.dat"));
    EXPECT_FALSE(HasTempLeftovers(dir));

    // No argument at all.
    std::string cmd = std::string("\"") + ISA_GEN + "\" 2>/dev/null";
    int rc = std::system(cmd.c_str());
    EXPECT_NE(WEXITSTATUS(rc), 0);
}
