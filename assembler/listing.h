#pragma once
// Writer of the listing file: one CR LF line per source line of the second pass, written to a
// temporary file that is renamed over the target when the pass ends (a pipe or device target
// is written directly; see TOutputFile).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/outfile.h"

// Listing write errors, reported once per kind after Compile; they never change the result.
// The numbers are shown to the user.
enum class ListingError : uint8_t {
    Create = 1, // the file could not be created
    Write = 2,  // a line could not be written
    Close = 3,  // the file could not be completed (flush, close or rename)
};
constexpr int ListingErrorCode(ListingError error) { return static_cast<int>(error); }
// "Integrna napaka pri pisanju listinga: N (zapomni si stevilko" (UTF-8).
std::string ListingErrorMessage(int code);

class TListing {
public:
    static constexpr size_t TextWidth = 16; // ListingText is padded to this, never cut

    // Opens the output; failures are recorded in errors (kinds 1, 2, 3, once each) and the first
    // one is described in `problem` (where the listing could not be written and why).
    TListing(const std::string& path, std::vector<int>& errors, std::string& problem);
    ~TListing() = default; // an unfinished temporary file is discarded
    TListing(const TListing&) = delete;
    TListing& operator=(const TListing&) = delete;

    // "nnnnn  <listingText padded to 16> <source>\r\n"
    void WriteLine(int32_t number, std::string_view listingText, std::string_view source);
    // Flushes, closes and renames into place. After a write error the temporary file is
    // removed and the previous listing is left untouched.
    void Close();

    // Formats one listing line (without touching any file).
    static void FormatLine(std::string& out, int32_t number, std::string_view listingText,
                           std::string_view source);

private:
    static constexpr size_t kBatch = 1 << 15; // bytes of lines collected before they are written

    void Write(const char* data, size_t size);
    void Flush();
    void Report(ListingError error, const std::string& why);
    std::string WriteProblem(int error) const;

    std::vector<int>& errors_;
    std::string& problem_;
    std::string path_;
    TOutputFile out_;
    bool writeFailed_ = false;
    std::unique_ptr<char[]> batch_; // formatted lines not yet handed to the stream (kBatch bytes)
    size_t batchUsed_ = 0;
};
