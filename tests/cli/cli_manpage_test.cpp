// The manual pages are made from the programs' --help texts: groff formats each without a
// warning, and each says every word of its help, in the help's order.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tests/cli/cli_process.h"

#ifdef ORLEK_MAN_DIR
namespace {

// What a shell command prints; `status` its exit status.
std::string Shell(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return "popen failed";
    }
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

// The words of a text, split at white space and after commas (a page may break a long JSON
// example there), without a final ":" (a heading of the help is one of the page). The dash of
// "name — summary" and the help's "Uporaba:" are the page's own headings.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        for (size_t comma; (comma = word.find(',')) != std::string::npos && comma + 1 < word.size();) {
            words.push_back(word.substr(0, comma + 1));
            word.erase(0, comma + 1);
        }
        if (word.size() > 1 && word.back() == ':') word.pop_back();
        if (word != "—" && word != "Uporaba") words.push_back(word);
    }
    return words;
}

struct TManPage {
    const char* name;
    const char* program;
};

void PrintTo(const TManPage& page, std::ostream* os) { *os << page.name; }

class ManPageTest : public testing::TestWithParam<TManPage> {};

TEST_P(ManPageTest, FormatsCleanlyAndSaysWhatTheHelpSays) {
    const std::string page = std::string(ORLEK_MAN_DIR) + "/" + GetParam().name + ".1";
    int status = 0;
    EXPECT_EQ(Shell("groff -man -Tutf8 -k -ww -z '" + page + "' 2>&1", status), "");
    EXPECT_EQ(status, 0) << "groff (groff-base) cannot format " << page;
    const std::vector<std::string> said =
        Words(Shell("groff -man -Tutf8 -k -P-cbou -rLL=100n '" + page + "' 2>&1", status));
    const CliResult help = RunCli({"--help"}, {}, GetParam().program);
    ASSERT_EQ(help.exit, 0) << help.err;
    size_t at = 0;
    for (const std::string& word : Words(help.out)) {
        while (at < said.size() && said[at] != word)
            ++at;
        ASSERT_LT(at, said.size()) << page << " lacks \"" << word << "\" of the help, or has it elsewhere";
        ++at;
    }
}

const TManPage kPages[] = {
    {"orlek-cli", ORLEK_CLI},
#ifdef ORLEK_GUI
    {"orlek", ORLEK_GUI},
#endif
};
INSTANTIATE_TEST_SUITE_P(Pages, ManPageTest, testing::ValuesIn(kPages),
                         [](const testing::TestParamInfo<TManPage>& info) {
                             std::string name = info.param.name;
                             return name == "orlek" ? std::string("Workbench") : std::string("Cli");
                         });

} // namespace
#endif
