#include "assembler/listing.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/syserror.h"

TListing::TListing(const std::string& path, std::vector<int>& errors, std::string& problem)
    : errors_(errors), problem_(problem), path_(path) {
    std::string error;
    if (!out_.Open(path, error)) {
        Report(ListingError::Create, error);
        return;
    }
    std::setvbuf(out_.Stream(), nullptr, _IOFBF, 1 << 16);
    buffer_.reserve(kBatch + 512);
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
    // "%5d": every line number of a source fits in five digits, so the digits are placed by
    // hand; anything else goes through the C library.
    char num[16];
    size_t n = 5;
    if (number >= 0 && number <= 99999) {
        std::memset(num, ' ', 5);
        unsigned v = static_cast<unsigned>(number);
        size_t i = 5;
        do {
            num[--i] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
    } else {
        n = static_cast<size_t>(std::snprintf(num, sizeof num, "%5d", static_cast<int>(number)));
    }
    const size_t pad = listingText.size() < TextWidth ? TextWidth - listingText.size() : 0;
    const size_t at = out.size();
    out.resize(at + n + 2 + listingText.size() + pad + 1 + source.size() + 2);
    char* p = out.data() + at;
    std::memcpy(p, num, n);
    p += n;
    *p++ = ' ';
    *p++ = ' ';
    std::memcpy(p, listingText.data(), listingText.size());
    p += listingText.size();
    std::memset(p, ' ', pad + 1);
    p += pad + 1;
    std::memcpy(p, source.data(), source.size());
    p += source.size();
    *p++ = '\r';
    *p = '\n';
}

void TListing::WriteLine(int32_t number, std::string_view listingText, std::string_view source) {
    if (!out_.IsOpen() || writeFailed_) return;
    FormatLine(buffer_, number, listingText, source);
    // The lines are handed to the stream in batches: one call per line cost more than the line.
    if (buffer_.size() >= kBatch) Flush();
}

// Hands the batched lines to the stream.
void TListing::Flush() {
    if (buffer_.empty() || writeFailed_) return;
    errno = 0;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), out_.Stream()) != buffer_.size()) {
        writeFailed_ = true;
        Report(ListingError::Write, WriteProblem(errno));
    }
    buffer_.clear();
}

void TListing::Close() {
    if (!out_.IsOpen()) return;
    Flush();
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
