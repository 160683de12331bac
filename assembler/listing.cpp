#include "assembler/listing.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/syserror.h"

TListing::TListing(const std::string& path, std::vector<int>& errors, std::string& problem)
    : errors_(errors), problem_(problem), path_(path) {
    std::string error;
    if (!out_.Open(path, error)) {
        Report(ListingError::Create, error);
        return;
    }
    std::setvbuf(out_.Stream(), nullptr, _IOFBF, 1 << 16);
}

void TListing::Report(ListingError error, const std::string& why) {
    const int code = ListingErrorCode(error);
    if (std::find(errors_.begin(), errors_.end(), code) == errors_.end()) errors_.push_back(code);
    if (problem_.empty()) problem_ = why;
}

std::string TListing::WriteProblem(int error) const {
    std::string why =
        "Napaka pri pisanju datoteke \"" + path_ + "\": " + SystemErrorText(error ? error : EIO);
    if (out_.DirectFallback())
        why += " (mapa ne dovoli začasne datoteke, zato je bila datoteka pisana neposredno in je morda "
               "nepopolna)";
    return why;
}

void TListing::FormatLine(std::string& out, int32_t number, std::string_view listingText,
                          std::string_view source) {
    char num[16];
    int n = std::snprintf(num, sizeof num, "%5d", static_cast<int>(number));
    out.append(num, static_cast<size_t>(n));
    out.append("  ");
    out.append(listingText);
    if (listingText.size() < TextWidth) out.append(TextWidth - listingText.size(), ' ');
    out.push_back(' ');
    out.append(source);
    out.append("\r\n");
}

void TListing::WriteLine(int32_t number, std::string_view listingText, std::string_view source) {
    if (!out_.IsOpen() || writeFailed_) return;
    buffer_.clear();
    FormatLine(buffer_, number, listingText, source);
    errno = 0;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_.Stream()) != buffer_.size()) {
        writeFailed_ = true;
        Report(ListingError::Write, WriteProblem(errno));
    }
}

void TListing::Close() {
    if (!out_.IsOpen()) return;
    errno = 0;
    if (!writeFailed_ && (std::fflush(out_.Stream()) != 0 || std::ferror(out_.Stream()))) {
        // Buffered data that never reached the file is a write failure of its lines.
        writeFailed_ = true;
        Report(ListingError::Write, WriteProblem(errno));
    }
    if (writeFailed_) {
        // The previous listing stays as it was (unless it had to be written in place).
        out_.Discard();
        return;
    }
    std::string error;
    if (!out_.Commit(error)) Report(ListingError::Close, error);
}

std::string ListingErrorMessage(int code) {
    return "Integrna napaka pri pisanju listinga: " + std::to_string(code) + " (zapomni si stevilko";
}
