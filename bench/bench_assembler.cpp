// Assembly throughput: a generated source of 32,767 lines (the most a source may have) with
// 4,626 labels, both passes, without and with the listing file, and from one text with line
// starts as orlek-cli hands it over; reading 30,000 of those lines from a file as orlek-cli does.
// items_per_second counts source lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assembler/compiler.h"
#include "cli/files.h"

namespace {

constexpr int kLines = 32'767;
constexpr size_t kLabels = 4'626;

// Code with 4,000 labels in the first 24,003 lines, then constants (626 EQU labels), preset
// data, comments and blanks.
std::vector<std::string> MakeSource() {
    std::vector<std::string> src = {"       ORG $FFFE", "       FDB L0", "       ORG $0040"};
    char buf[128];
    for (int i = 0; src.size() < 24'003; ++i) {
        int label = i / 6;
        switch (i % 6) {
        case 0:
            std::snprintf(buf, sizeof buf, "L%d     LDAA #$%02X       ; nalozi", label, i & 0xFF);
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "       ADDA L%d+1", label);
            break;
        case 2:
            std::snprintf(buf, sizeof buf, "       STAA %d,X", i & 0x7F);
            break;
        case 3:
            std::snprintf(buf, sizeof buf, "       LDX #L%d", label > 0 ? label - 1 : 0);
            break;
        case 4:
            std::snprintf(buf, sizeof buf, "       STD $%02X", i & 0xFF);
            break;
        default:
            std::snprintf(buf, sizeof buf, "       BNE L%d        * nazaj", label);
            break;
        }
        src.emplace_back(buf);
    }
    for (int i = 0; src.size() < static_cast<size_t>(kLines) - 1; ++i) {
        switch (i % 14) {
        case 0:
            std::snprintf(buf, sizeof buf, "K%d EQU $%04X", i / 14, (i * 7) & 0xFFFF);
            break;
        case 1:
        case 2:
            std::snprintf(buf, sizeof buf, "* tabela konstant %d", i);
            break;
        case 3:
        case 4:
            buf[0] = '\0';
            break;
        case 5:
        case 6:
        case 7:
        case 8:
            std::snprintf(buf, sizeof buf, "       SM $%04X $%02X %d \"ab\"", 0x8000 + (i & 0xFFF), i & 0xFF,
                          i & 0x7F);
            break;
        case 9:
            std::snprintf(buf, sizeof buf, "       NAM odsek%d", i);
            break;
        default:
            std::snprintf(buf, sizeof buf, "; komentar %d", i);
            break;
        }
        src.emplace_back(buf);
    }
    src.emplace_back("       END");
    return src;
}

const std::vector<std::string>& Source() {
    static const std::vector<std::string> source = MakeSource();
    return source;
}

void Assemble(benchmark::State& state, bool listing, bool oneText = false) {
    const std::vector<std::string>& source = Source();
    const TSourceText text = TSourceText::FromLines(source);
    const TSourceLines lines = oneText ? text.Lines() : TSourceLines(source);
    TMemory memory;
    TCompiler compiler(memory, ORLEK_PROGRAM_DIR);
    std::filesystem::path path = std::filesystem::temp_directory_path() / "orlek-bench-list.lst";
    if (listing) compiler.ListingPath = path.string();
    for (auto _ : state) {
        CompileResult r = compiler.Compile(lines);
        if (ResultStatus(r) != CompileStatus::Ok) {
            state.SkipWithError(("assembly failed: " + std::to_string(r)).c_str());
            break;
        }
        benchmark::DoNotOptimize(memory.Cells.data());
    }
    if (compiler.Labels().Count() != kLabels) state.SkipWithError("unexpected number of labels");
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(source.size()));
    std::filesystem::remove(path);
}

void BM_AssembleNoListing(benchmark::State& state) { Assemble(state, false); }
void BM_AssembleWithListing(benchmark::State& state) { Assemble(state, true); }
void BM_AssembleOneText(benchmark::State& state) { Assemble(state, false, true); }

void BM_ReadSource(benchmark::State& state) {
    constexpr size_t kRead = 30'000;
    std::string text;
    for (size_t i = 0; i < kRead; ++i)
        text += Source()[i] + "\n";
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orlek-bench-source.asm";
    if (std::FILE* f = std::fopen(path.string().c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        const TSourceText source = ReadSource(path.string());
        if (source.Lines().size() != kRead) {
            state.SkipWithError("unexpected number of lines");
            break;
        }
        benchmark::DoNotOptimize(source.Starts.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kRead));
    std::filesystem::remove(path);
}

BENCHMARK(BM_AssembleNoListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssembleWithListing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssembleOneText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSource)->Unit(benchmark::kMicrosecond);

} // namespace
