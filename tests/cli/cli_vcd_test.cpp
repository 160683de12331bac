// orlek-cli run --vcd: the Value Change Dump as an outside reader takes it, the signals chosen,
// and the messages for wrong names.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "tests/cli/cli_process.h"

namespace {
std::string Board(const std::string& name) {
    return std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" + name;
}

// The values of each variable of a VCD text, by name: (time, value) in the order of the file.
using TWaves = std::map<std::string, std::vector<std::pair<uint64_t, char>>>;
TWaves Waves(const std::string& vcd) {
    std::map<std::string, std::string> names; // id -> name
    TWaves waves;
    uint64_t time = 0;
    for (const std::string& line : SplitLinesLf(vcd)) {
        std::istringstream words(line);
        std::string var, wire, width, id, name;
        if (words >> var >> wire >> width >> id >> name && var == "$var") names[id] = name;
        else if (!line.empty() && line[0] == '#') time = std::stoull(line.substr(1));
        else if (line.size() > 1 && (line[0] == '0' || line[0] == '1') && names.count(line.substr(1)))
            waves[names[line.substr(1)]].emplace_back(time, line[0]);
    }
    return waves;
}
} // namespace

TEST(CliVcdTest, GtkwavesConverterTakesTheFile) {
#if !defined(ORLEK_VCD2FST) || !defined(ORLEK_FST2VCD)
    GTEST_SKIP() << "vcd2fst (Debian package gtkwave) is not installed";
#else
    // GTKWave's converter takes nearly anything; its way back to VCD (fst2vcd) shows what it read.
    TempDir dir;
    auto roundTrip = [&](const std::string& vcd) {
        EXPECT_EQ(RunCli({vcd, dir.Path("out.fst")}, "", ORLEK_VCD2FST).exit, 0);
        return RunCli({dir.Path("out.fst")}, "", ORLEK_FST2VCD);
    };
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> vars; // the $var lines' names, in order
    };
    const Case cases[] = {
        {{"run", CliData("kvadrat.asm"), "--steps", "100", "--signals", "P10,TOF"}, {"P10", "TOF"}},
        {{"run", Board("tipkovnica.asm"), "--board", Board("tipkovnica.json"), "--steps", "3000", "--signals",
          "LCD.E,LCD.RS,P2"},
         {"LCD.E", "LCD.RS", "P20", "P21", "P22", "P23", "P24"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--vcd", dir.Path("out.vcd")});
        const CliResult r = RunCliInProcess(args);
        ASSERT_EQ(r.exit, 0) << r.err;
        const std::string vcd = ReadFile(dir.Path("out.vcd"));
        std::vector<std::string> vars;
        for (const std::string& line : SplitLinesLf(vcd)) {
            std::istringstream words(line);
            std::string var, wire, width, id, name;
            if (words >> var >> wire >> width >> id >> name && var == "$var") vars.push_back(name);
        }
        EXPECT_EQ(vars, c.vars);
        const CliResult back = roundTrip(dir.Path("out.vcd"));
        ASSERT_EQ(back.exit, 0) << back.err;
        EXPECT_EQ(Waves(back.out), Waves(vcd));
        EXPECT_GE(Waves(vcd)[c.vars[0]].size(), 3u);
    }
    // A file it cannot read comes back without a single variable: the check is a real one.
    std::FILE* bad = std::fopen(dir.Path("bad.vcd").c_str(), "w");
    std::fputs("$var wire 1 ! P10\n#x\n1!\n", bad);
    std::fclose(bad);
    EXPECT_TRUE(Waves(roundTrip(dir.Path("bad.vcd")).out).empty());
#endif
}

TEST(CliVcdTest, RefusesUnknownSignalsAndSignalsWithoutAFile) {
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"run", CliData("kvadrat.asm"), "--vcd", "/dev/null", "--signals", "P10,P30"},
         "neznan signal \"P30\""},
        {{"run", CliData("kvadrat.asm"), "--signals", "P10"}, "--signals: ni datoteke"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCliInProcess(c.args);
        EXPECT_EQ(r.exit, 2) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}
