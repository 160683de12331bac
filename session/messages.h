#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The texts run control and the compile command put into the code window's error list
// (UTF-8).

inline constexpr const char* kCannotStartMessage = "Simulatorja ne morem zagnati!";
inline constexpr const char* kWhereNowMessage = "Kam pa sedaj?";

// A compile result (error line x 256 + status) taken apart.
struct TCompileOutcome {
    int Result = 0;
    uint8_t Status = 0; // low 8 bits
    int LineField = 0;  // the bits above: the failing line + 1, 0 when there is none
    bool Ok() const { return Status == 1; }
    // The 1-based source line to mark, 0 when none.
    int ErrorLine() const { return LineField == 0 ? 0 : LineField - 1; }
};
TCompileOutcome SplitCompileResult(int result);

// The status line for a failed assembly, e.g. "Napaka: neznan ukaz (napaka v vrstici 3)";
// empty for a status without a text. A result without a line (a missing reset
// vector) names no line.
std::string CompileStatusMessage(const TCompileOutcome& outcome);

// Every line the error list shows after an assembly: empty on success; otherwise the status
// line (if the status has one), the assembler's hints that explain it, and "Simulatorja ne
// morem zagnati!".
std::vector<std::string> CompileMessages(const TCompileOutcome& outcome,
                                         const std::vector<std::string>& hints = {});

// "IRQ vektor ni definiran!" and its siblings for the step status 2..7; empty otherwise.
const char* VectorMessage(uint8_t status);

// The listing write error texts are the assembler's ListingErrorMessage (assembler/compiler.h).
