// orlek-cli check over a class: the programs of a folder found, checked each in its own worker,
// and reported as a table, CSV and JUnit XML that a course platform reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <tinyxml2.h>

#include "cli/files.h"
#include "cli/submissions.h"
#include "tests/cli/cli_process.h"

namespace {

std::string Example(const std::string& name) { return std::string(ORLEK_SOURCE_DIR) + "/examples/" + name; }

std::string Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Never reaches its subroutine: without a bound on the time it would run 20 million steps.
const char* const kLoop = "        org $2000\nstart   bra start\nkvadrat rts\nkonec   bra konec\n        org "
                          "$fffe\n        fdb start\n";

// A class of kvadrat.asm's variants: correct, wrong at the second checkpoint, not assembling,
// looping without end, and a file that is no source at all.
struct TClass {
    TempDir dir;
    std::string folder = dir.Path("oddaje");
    TClass() {
        const std::string good = ReadFile(Example("kvadrat.asm"));
        std::string wrong = good;
        wrong.replace(wrong.find("        pulb\n"), 13, "        ins\n");
        Write(folder + "/ana.asm", good);
        Write(folder + "/bojan.asm", wrong);
        Write(folder + "/cene.asm", "        org $2000\nstart   frob\n");
        Write(folder + "/dusan/zanka.asm", kLoop);
        Write(folder + "/eva.s07", std::string("\x01\x02", 2));
    }
};

} // namespace

TEST(CliGradeTest, FolderDiscoveryFindsOneProgramPerFileAndPerStudentFolder) {
    TempDir dir;
    const std::string top = dir.Path("razred");
    for (const char* file :
         {"a.asm", "B.S07", "opis.txt", ".skrit.asm", "jana/src/moj.asm", "miha/kvadrat.asm",
          "miha/poskus.asm", "nina/x.asm", "nina/y.asm", ".git/z.asm", "oto/opis.txt"})
        Write(top + "/" + file, "");
    const std::vector<TSubmission> found = FindSubmissions({top}, "kvadrat");
    const struct {
        const char* name;
        const char* file;
        const char* problem;
    } expected[] = {
        {"B.S07", "B.S07", ""},
        {"a.asm", "a.asm", ""},
        {"jana", "jana/src/moj.asm", ""},
        {"miha", "miha/kvadrat.asm", ""}, // of two, the one named like the exercise
        {"nina", "", "v mapi je več programov (x.asm, y.asm)"},
        {"oto", "", "v mapi ni programa"},
    };
    ASSERT_EQ(found.size(), std::size(expected));
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].Name, top + "/" + expected[i].name);
        EXPECT_EQ(found[i].File, *expected[i].file ? top + "/" + expected[i].file : "");
        EXPECT_EQ(found[i].Problem.rfind(expected[i].problem, 0), 0u) << found[i].Problem;
    }
    EXPECT_THROW(FindSubmissions({dir.Path("ni")}, ""), FileError);
    EXPECT_THROW(FindSubmissions({top + "/oto"}, ""), FileError); // no program, no student folder
}

TEST(CliGradeTest, ClassGetsEachProgramsPointsAndIsolatesTheBadOnes) {
    TClass c;
    const std::string exercise = Write(c.dir.Path("kvadrat.json"), R"({"title": "Kvadrat",
        "checks": [{"name": "Prvi klic", "at": "KVADRAT", "within": 10000000, "registers": {"A": 7}},
                   {"name": "Konec", "at": "KONEC", "within": 10000000, "registers": {"B": "$55"}}]})");
    const std::string csv = c.dir.Path("izid.csv"), junit = c.dir.Path("izid.xml");
    const CliResult r = RunCli(
        {"check", exercise, c.folder, "--csv", csv, "--junit", junit, "--timeout", "0.1", "--jobs", "2"});
    EXPECT_EQ(r.exit, 1) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = SplitLinesLf(r.out);
    ASSERT_EQ(lines.size(), 8u) << r.out;
    EXPECT_EQ(lines[0], "Naloga: Kvadrat");
    const std::string o = c.folder + "/";
    EXPECT_EQ(lines[2].rfind(o + "ana.asm", 0), 0u);
    EXPECT_NE(lines[2].find(" 2/2 "), std::string::npos) << lines[2];
    EXPECT_NE(lines[3].find("Preverjanje 2 (Konec): B: pričakovano $55, dejansko $00"), std::string::npos);
    EXPECT_NE(lines[4].find("program se ne prevede: Napaka: neznan ukaz"), std::string::npos);
    EXPECT_NE(lines[5].find("časovno mejo 0,1 s"), std::string::npos) << lines[5];
    EXPECT_NE(lines[6].find("ni besedilna"), std::string::npos) << lines[6];
    EXPECT_EQ(lines[7], "Programov: 5, vse izpolnjeno: 1, z napakami: 4.");

    EXPECT_EQ(ReadFile(csv),
              "program,points,max,passed,failed,Preverjanje 1 (Prvi klic),Preverjanje 2 (Konec)\r\n" + o +
                  "ana.asm,2,2,2,0,1,1\r\n" + o + "bojan.asm,1,2,1,1,1,0\r\n" + o +
                  "cene.asm,0,2,0,2,0,0\r\n" + o + "dusan,0,2,0,2,0,0\r\n" + o + "eva.s07,0,2,0,2,0,0\r\n");

    std::string said;
    FILE* xmllint = ::popen(
        ("xmllint --noout --schema '" + CliData("junit.xsd") + "' '" + junit + "' 2>&1").c_str(), "r");
    ASSERT_NE(xmllint, nullptr);
    for (int ch; (ch = std::fgetc(xmllint)) != EOF;)
        said += static_cast<char>(ch);
    const int status = ::pclose(xmllint);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "xmllint (libxml2-utils): " << said;
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.LoadFile(junit.c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* suites = doc.FirstChildElement("testsuites");
    ASSERT_NE(suites, nullptr);
    EXPECT_EQ(suites->IntAttribute("tests"), 10);
    EXPECT_EQ(suites->IntAttribute("failures"), 5);
    EXPECT_EQ(suites->IntAttribute("errors"), 2); // the file that is no source: not checked
    const tinyxml2::XMLElement* bojan =
        suites->FirstChildElement("testsuite")->NextSiblingElement("testsuite");
    const tinyxml2::XMLElement* failure =
        bojan->FirstChildElement("testcase")->NextSiblingElement("testcase")->FirstChildElement("failure");
    ASSERT_NE(failure, nullptr);
    EXPECT_STREQ(failure->Attribute("message"), "B: pričakovano $55, dejansko $00");
}

// The JUnit file byte for byte: one element a line, text kept on the line of its element, the
// markup characters escaped (in attribute values the quotes too).
TEST(CliGradeTest, JUnitReportHasItsLayoutAndEscapesMarkup) {
    TempDir dir;
    std::string wrong = ReadFile(Example("kvadrat.asm"));
    wrong.replace(wrong.find("        pulb\n"), 13, "        ins\n");
    const std::string folder = dir.Path("g");
    Write(folder + "/x&<\"'>.asm", wrong + " NOP ; \xE4\xB8\xAD\n"); // a character Windows-1250 lacks
    const std::string junit = dir.Path("j.xml");
    const CliResult r = RunCli({"check", Example("kvadrat.json"), folder, "--junit", junit});
    EXPECT_EQ(r.exit, 1) << r.err;
    const std::string a = folder + "/x&amp;&lt;&quot;&apos;&gt;.asm", t = folder + "/x&amp;&lt;\"'&gt;.asm";
    EXPECT_EQ(
        ReadFile(junit),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<testsuites name=\"Kvadrat s podprogramom\" tests=\"2\" failures=\"1\" errors=\"0\">\n"
        "    <testsuite name=\"" +
            a +
            "\" tests=\"2\" failures=\"1\" errors=\"0\">\n"
            "        <properties>\n"
            "            <property name=\"points\" value=\"1\"/>\n"
            "            <property name=\"max\" value=\"2\"/>\n"
            "            <property name=\"file\" value=\"" +
            a +
            "\"/>\n"
            "        </properties>\n"
            "        <testcase name=\"Preverjanje 1 (Prvi klic)\" classname=\"" +
            a +
            "\"/>\n"
            "        <testcase name=\"Preverjanje 2 (Konec programa)\" classname=\"" +
            a +
            "\">\n"
            "            <failure type=\"NAPAKA\" message=\"B: pričakovano $55, dejansko $00\">pri oznaki "
            "KONEC (korak 90)\nB: pričakovano $55, dejansko $00\n"
            "bajti od $0080: pričakovano 31 90 55, dejansko 31 90 00\n</failure>\n"
            "        </testcase>\n"
            "        <system-out>Opozorilo: nekaterih znakov v \"" +
            t +
            "\" kodna tabela Windows-1250 nima; prevajalnik vidi namesto njih '?'\n</system-out>\n"
            "    </testsuite>\n"
            "</testsuites>\n");
}

TEST(CliGradeTest, ExitIsZeroOnlyWhenEveryProgramPassesEveryCheck) {
    TempDir dir;
    const std::string good = ReadFile(Example("kvadrat.asm"));
    Write(dir.Path("a/prvi, \"1\".asm"), good);
    Write(dir.Path("a/drugi.asm"), good);
    CliResult r = RunCli({"check", Example("kvadrat.json"), dir.Path("a"), "--csv", dir.Path("a.csv")});
    EXPECT_EQ(r.exit, 0) << r.out << r.err;
    // A name with a comma or a quote is quoted, its quotes doubled.
    EXPECT_NE(
        ReadFile(dir.Path("a.csv")).find("\r\n\"" + dir.Path("a/prvi, \"\"1\"\".asm") + "\",2,2,2,0,1,1\r\n"),
        std::string::npos)
        << ReadFile(dir.Path("a.csv"));
    r = RunCli(
        {"check", Example("kvadrat.json"), dir.Path("a"), dir.Path("a/drugi.asm"), CliData("badop.asm")});
    EXPECT_EQ(r.exit, 1) << r.out << r.err;
    r = RunCli({"check", Example("kvadrat.json"), dir.Path("a"), dir.Path("ni.asm")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("ni ne datoteka ne mapa"), std::string::npos) << r.err;
}

TEST(CliGradeTest, OneProgramKeepsItsReportAndAlsoWritesTheFiles) {
    TempDir dir;
    const std::string csv = dir.Path("a.csv");
    const CliResult before = RunCli({"check", Example("kvadrat.json"), Example("kvadrat.asm")});
    const CliResult r = RunCli({"check", Example("kvadrat.json"), Example("kvadrat.asm"), "--csv", csv});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, before.out);
    EXPECT_EQ(ReadFile(csv).substr(0, 33), "program,points,max,passed,failed,");
    const CliResult same =
        RunCli({"check", Example("kvadrat.json"), Example("kvadrat.asm"), "--csv", Example("kvadrat.json")});
    EXPECT_EQ(same.exit, 2);
    EXPECT_NE(same.err.find("je vhodna datoteka"), std::string::npos) << same.err;
}

TEST(CliGradeTest, HiddenCheckpointsShowWhatTheyTestOnlyWhenAsked) {
    TempDir dir;
    std::string wrong = ReadFile(Example("kvadrat.asm"));
    wrong.replace(wrong.find("        pulb\n"), 13, "        ins\n");
    const std::string program = Write(dir.Path("oddaje/bojan.asm"), wrong);
    const std::string exercise = Write(dir.Path("n.json"), R"({"title": "Kvadrat", "checks": [
        {"at": "KVADRAT", "points": 1, "registers": {"A": 7}},
        {"at": "KONEC", "points": 2, "hidden": true, "registers": {"B": "$55"}}]})");
    const struct {
        std::vector<std::string> args;
        const char* shown;
        const char* notShown;
    } cases[] = {
        {{program},
         "Preverjanje 2 (skrito): ni izpolnjeno\nIzpolnjenih 3 od 4 pričakovanj.\nTočke: 1 od 3.\n",
         "$55"},
        {{program, "--show-hidden"}, "  NAPAKA  B: pričakovano $55, dejansko $00\n", "skrito"},
        {{dir.Path("oddaje")},
         " 1/3    1           1             Preverjanje 2 (skrito) ni izpolnjeno\n",
         "$55"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"check", exercise};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exit, 1) << r.err;
        EXPECT_NE(r.out.find(c.shown), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find(c.notShown), std::string::npos) << r.out;
    }
}

TEST(CliGradeTest, SimilarListsRenamedCopiesNotOtherProgramsAndNeverGrades) {
    TempDir dir;
    const std::string html = dir.Path("podobnost.html");
    const std::string folder = CliData("similar");
    const CliResult r = RunCli({"similar", folder, "--html", html});
    EXPECT_EQ(r.exit, 0) << r.err;
    const std::vector<std::string> lines = SplitLinesLf(r.out);
    ASSERT_EQ(lines.size(), 7u) << r.out;
    EXPECT_EQ(lines[0].rfind("Podobnost je le pripomoček za učiteljevo presojo: ne ocenjuje programov", 0),
              0u);
    const std::string f = folder + "/";
    EXPECT_EQ(lines[3], "  1,00  " + f + "izvirnik.asm  " + f +
                            "preimenovan.asm  (skupnih ukazov 12; 12 in 12 ukazov)");
    EXPECT_NE(lines[4].find("izvirnik.asm  " + f +
                            "zamenjan.asm  (skupnih ukazov 12; 12 in 12 ukazov, A in B zamenjana)"),
              std::string::npos);
    EXPECT_EQ(lines[6], "Primerjanih programov: 4, parov nad pragom: 3 od 6.");
    const std::string report = ReadFile(html);
    EXPECT_NE(report.find("ne ocenjuje programov"), std::string::npos);
    EXPECT_NE(report.find("shrani &lt;b&gt;&amp;&quot;rezultat&quot;&lt;/b&gt;</code>"), std::string::npos);
    EXPECT_EQ(report.find("<b>&"), std::string::npos);

    const CliResult bad = RunCli({"similar", folder, "--threshold", "1.5"});
    EXPECT_EQ(bad.exit, 2);
    EXPECT_NE(bad.err.find("--threshold: prag je število od 0 do 1"), std::string::npos) << bad.err;
}

// The GitHub Classroom template: the command its workflow runs passes a correct solution and
// fails the students' starting program, and writes the JUnit report the workflow shows.
TEST(CliGradeTest, ClassroomWorkflowCommandGradesTheTemplate) {
    const std::string template_ = std::string(ORLEK_SOURCE_DIR) + "/docs/classroom/template";
    std::string command;
    for (const std::string& line : SplitLinesLf(ReadFile(template_ + "/.github/workflows/classroom.yml")))
        if (const size_t at = line.find("command: orlek-cli "); at != std::string::npos)
            command = line.substr(at + 19);
    ASSERT_FALSE(command.empty()) << "no orlek-cli command in the workflow";
    for (const auto& [program, exit] :
         {std::pair{Example("kvadrat.asm"), 0}, {template_ + "/program.asm", 1}}) {
        TempDir dir;
        std::filesystem::copy_file(template_ + "/naloga.json", dir.Path("naloga.json"));
        std::filesystem::copy_file(program, dir.Path("program.asm"));
        // The workflow runs in the repository's folder: its file names are the copy's.
        std::vector<std::string> args;
        std::istringstream words(command);
        for (std::string word; words >> word;)
            args.push_back(word[0] != '-' && word.find('.') != std::string::npos ? dir.Path(word) : word);
        const CliResult r = RunCli(args);
        EXPECT_EQ(r.exit, exit) << program << "\n" << r.out << r.err;
        tinyxml2::XMLDocument junit;
        EXPECT_EQ(junit.LoadFile(dir.Path("porocilo.xml").c_str()), tinyxml2::XML_SUCCESS) << program;
    }
}
