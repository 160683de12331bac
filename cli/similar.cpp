// orlek-cli similar: pairs of programs whose instruction sequences are alike, for a teacher to
// look at. It judges nothing and grades nothing; it says so in everything it writes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "base/encoding.h"
#include "cli/commands.h"
#include "cli/files.h"
#include "cli/submissions.h"
#include "session/similarity.h"

namespace {

// Programs with fewer instructions are alike whatever they do (an empty template, a stub).
constexpr size_t kMinInstructions = 5;

const char* const kDisclaimer =
    "Podobnost je le pripomoček za učiteljevo presojo: ne ocenjuje programov in sama po sebi ne "
    "dokazuje prepisovanja (podobni so lahko tudi programi po istem zgledu).";
const char* const kMethod =
    "Primerjana so zaporedja ukazov (ukaz in vrsta naslavljanja); oznake, komentarji, "
    "presledki, imena in števila so prezrti, A in B sta lahko zamenjana.";

void Print(std::FILE* f, const std::string& text) { std::fwrite(text.data(), 1, text.size(), f); }

struct TProgram {
    std::string Name;
    std::vector<std::string> Lines; // UTF-8, for the report
    TProgramShape Shape;
};

struct TPair {
    size_t A = 0, B = 0;
    TSimilarity Similarity;
};

// A score with two decimals, cut rather than rounded (0.999 is not shown as a copy's 1,00).
std::string Share(double score) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", std::floor(score * 100 + 1e-9) / 100);
    std::string shown = text;
    std::replace(shown.begin(), shown.end(), '.', ',');
    return shown;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\t':
            out += "    ";
            break;
        default:
            // Control characters have no place in HTML text.
            out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
        }
    }
    return out;
}

std::string PairLine(const std::vector<TProgram>& programs, const TPair& p) {
    const TProgram& a = programs[p.A];
    const TProgram& b = programs[p.B];
    return Share(p.Similarity.Score) + "  " + a.Name + "  " + b.Name + "  (skupnih ukazov " +
           std::to_string(p.Similarity.Common) + "; " + std::to_string(a.Shape.Tokens.size()) + " in " +
           std::to_string(b.Shape.Tokens.size()) + " ukazov" +
           (p.Similarity.Swapped ? ", A in B zamenjana" : "") + ")";
}

// One row of a side-by-side table: a line of each program, or of one of them.
void Row(std::string& html, const TProgram* a, int lineA, const TProgram* b, int lineB, bool match) {
    const auto cell = [](const TProgram* p, int line) {
        if (!p) return std::string("<td class=\"st\"></td><td></td>");
        const std::string& text =
            line >= 1 && static_cast<size_t>(line) <= p->Lines.size() ? p->Lines[line - 1] : "";
        return "<td class=\"st\">" + std::to_string(line) + "</td><td><code>" + Escaped(text) +
               "</code></td>";
    };
    html += match ? "<tr class=\"ujema\">" : "<tr>";
    html += cell(a, lineA) + cell(b, lineB) + "</tr>\n";
}

std::string FormatHtml(const std::vector<TProgram>& programs, const std::vector<TPair>& pairs,
                       double threshold) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"sl\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Podobnost programov</title>\n<style>\n"
                       "body { font-family: sans-serif; margin: 1.5em; }\n"
                       "table { border-collapse: collapse; margin-bottom: 2em; }\n"
                       "td, th { padding: 0 0.6em; vertical-align: top; }\n"
                       "td.st { color: #777; text-align: right; }\n"
                       "tr.ujema td { background: #fff2b3; }\n"
                       "code { white-space: pre; }\n"
                       "p.opomba { font-weight: bold; }\n"
                       "</style>\n</head>\n<body>\n<h1>Podobnost programov</h1>\n";
    html += "<p class=\"opomba\">" + Escaped(kDisclaimer) + "</p>\n<p>" + Escaped(kMethod) + "</p>\n";
    html +=
        "<p>Pari s podobnostjo vsaj " + Share(threshold) + ": " + std::to_string(pairs.size()) + ".</p>\n";
    if (!pairs.empty()) {
        html += "<ol>\n";
        for (size_t i = 0; i < pairs.size(); ++i)
            html += "<li><a href=\"#par" + std::to_string(i + 1) + "\">" +
                    Escaped(PairLine(programs, pairs[i])) + "</a></li>\n";
        html += "</ol>\n";
    }
    for (size_t i = 0; i < pairs.size(); ++i) {
        const TPair& p = pairs[i];
        const TProgram& a = programs[p.A];
        const TProgram& b = programs[p.B];
        html += "<h2 id=\"par" + std::to_string(i + 1) + "\">" + Escaped(a.Name) + " — " + Escaped(b.Name) +
                ": " + Share(p.Similarity.Score) + "</h2>\n";
        const std::vector<std::pair<size_t, size_t>> matched =
            AlignShapes(a.Shape, b.Shape, p.Similarity.Swapped);
        if (matched.empty()) {
            html += "<p>Programa sta predolga za prikaz vrstic drugo ob drugi.</p>\n";
            continue;
        }
        html += "<p>Vrstice z ukazi; pobarvane so tiste, ki se ujemajo" +
                std::string(p.Similarity.Swapped ? " (z zamenjanima A in B)" : "") + ".</p>\n";
        html += "<table>\n<tr><th></th><th>" + Escaped(a.Name) + "</th><th></th><th>" + Escaped(b.Name) +
                "</th></tr>\n";
        size_t i1 = 0, j1 = 0;
        const auto flush = [&](size_t untilA, size_t untilB) {
            for (; i1 < untilA; ++i1)
                Row(html, &a, a.Shape.Lines[i1], nullptr, 0, false);
            for (; j1 < untilB; ++j1)
                Row(html, nullptr, 0, &b, b.Shape.Lines[j1], false);
        };
        for (const auto& [x, y] : matched) {
            flush(x, y);
            Row(html, &a, a.Shape.Lines[x], &b, b.Shape.Lines[y], true);
            i1 = x + 1;
            j1 = y + 1;
        }
        flush(a.Shape.Tokens.size(), b.Shape.Tokens.size());
        html += "</table>\n";
    }
    html += "</body>\n</html>\n";
    return html;
}

} // namespace

CliExit SimilarCommand(const TCliOptions& options, std::FILE* out, std::FILE* err) {
    std::vector<TSubmission> submissions;
    try {
        submissions = FindSubmissions(options.Programs, "");
    } catch (const FileError& e) {
        Print(err, std::string("orlek-cli: ") + e.what() + "\n");
        return CliExit::Usage;
    }
    std::vector<TProgram> programs;
    size_t tooShort = 0;
    for (const TSubmission& s : submissions) {
        if (!s.Problem.empty()) {
            Print(err, "orlek-cli: opozorilo: " + s.Name + ": " + s.Problem + "\n");
            continue;
        }
        TSourceText source;
        try {
            source = ReadSource(s.File);
        } catch (const FileError& e) {
            Print(err, std::string("orlek-cli: opozorilo: ") + e.what() + "\n");
            continue;
        }
        TProgram p;
        p.Name = s.Name;
        const std::vector<std::string> lines = source.Lines().Strings();
        p.Shape = ReadProgramShape(lines);
        if (p.Shape.Tokens.size() < kMinInstructions) {
            ++tooShort;
            continue;
        }
        for (const std::string& line : lines)
            p.Lines.push_back(Cp1250ToUtf8(line));
        programs.push_back(std::move(p));
    }

    std::vector<TPair> pairs;
    for (size_t i = 0; i < programs.size(); ++i)
        for (size_t j = i + 1; j < programs.size(); ++j) {
            const size_t n = programs[i].Shape.Tokens.size(), m = programs[j].Shape.Tokens.size();
            // The common part is at most the shorter program: pairs that cannot reach the
            // threshold are not compared.
            if (2.0 * static_cast<double>(std::min(n, m)) / static_cast<double>(n + m) < options.Threshold)
                continue;
            const TSimilarity s = CompareShapes(programs[i].Shape, programs[j].Shape);
            if (s.Score >= options.Threshold) pairs.push_back({i, j, s});
        }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const TPair& a, const TPair& b) { return a.Similarity.Score > b.Similarity.Score; });

    std::string text = std::string(kDisclaimer) + "\n" + kMethod + "\n";
    text += "Pari s podobnostjo vsaj " + Share(options.Threshold) + " (od najbolj podobnega):\n";
    for (const TPair& p : pairs)
        text += "  " + PairLine(programs, p) + "\n";
    if (pairs.empty()) text += "  (ni jih)\n";
    const size_t all = programs.size() * (programs.size() - (programs.empty() ? 0 : 1)) / 2;
    text += "Primerjanih programov: " + std::to_string(programs.size());
    if (tooShort > 0)
        text += " (prezrtih zaradi manj kot " + std::to_string(kMinInstructions) +
                " ukazov: " + std::to_string(tooShort) + ")";
    text += ", parov nad pragom: " + std::to_string(pairs.size()) + " od " + std::to_string(all) + ".\n";
    Print(out, text);

    if (!options.HtmlFile.empty()) {
        try {
            TAtomicFile file(options.HtmlFile);
            file.Write(FormatHtml(programs, pairs, options.Threshold));
            file.Commit();
        } catch (const FileError& e) {
            Print(err, std::string("orlek-cli: ") + e.what() + "\n");
            return CliExit::Usage;
        }
    }
    return CliExit::Ok;
}
