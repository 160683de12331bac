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
    batch_ = std::make_unique_for_overwrite<char[]>(kBatch);
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

namespace {

// The line number as "%5d" writes it. Every line number of a source fits in five digits, so the
// digits are placed by hand; anything else goes through the C library.
struct TLineNumber {
    char Text[16];
    size_t Size = 5;
};
TLineNumber FormatNumber(int32_t number) {
    TLineNumber n;
    if (number >= 0 && number <= 99999) {
        std::memset(n.Text, ' ', 5);
        unsigned v = static_cast<unsigned>(number);
        size_t i = 5;
        do {
            n.Text[--i] = static_cast<char>('0' + v % 10);
            v /= 10;
        } while (v != 0);
    } else {
        n.Size = static_cast<size_t>(std::snprintf(n.Text, sizeof n.Text, "%5d", static_cast<int>(number)));
    }
    return n;
}

// One listing line, laid out once and then placed wherever it goes.
struct TLine {
    TLineNumber Number;
    std::string_view Text, Source;
    size_t Pad; // spaces after the listing text, the separating one included

    TLine(int32_t number, std::string_view text, std::string_view source)
        : Number(FormatNumber(number)), Text(text), Source(source),
          Pad((text.size() < TListing::TextWidth ? TListing::TextWidth - text.size() : 0) + 1) {}
    size_t Size() const { return Number.Size + 2 + Text.size() + Pad + Source.size() + 2; }
    void Put(char* p) const {
        std::memcpy(p, Number.Text, Number.Size);
        p += Number.Size;
        *p++ = ' ';
        *p++ = ' ';
        std::memcpy(p, Text.data(), Text.size());
        p += Text.size();
        std::memset(p, ' ', Pad);
        p += Pad;
        std::memcpy(p, Source.data(), Source.size());
        p += Source.size();
        *p++ = '\r';
        *p = '\n';
    }
};

} // namespace

void TListing::FormatLine(std::string& out, int32_t number, std::string_view listingText,
                          std::string_view source) {
    const TLine line(number, listingText, source);
    const size_t at = out.size();
    out.resize(at + line.Size());
    line.Put(out.data() + at);
}

void TListing::WriteLine(int32_t number, std::string_view listingText, std::string_view source) {
    if (!out_.IsOpen() || writeFailed_) return;
    // The lines are handed to the stream in batches: one call per line cost more than the line.
    const TLine line(number, listingText, source);
    const size_t size = line.Size();
    if (batchUsed_ + size > kBatch) {
        Flush();
        if (writeFailed_) return;
    }
    if (size > kBatch) {
        std::string text(size, ' ');
        line.Put(text.data());
        Write(text.data(), size);
        return;
    }
    line.Put(batch_.get() + batchUsed_);
    batchUsed_ += size;
}

void TListing::Write(const char* data, size_t size) {
    errno = 0;
    if (std::fwrite(data, 1, size, out_.Stream()) != size) {
        writeFailed_ = true;
        Report(ListingError::Write, WriteProblem(errno));
    }
}

// Hands the batched lines to the stream.
void TListing::Flush() {
    if (batchUsed_ == 0 || writeFailed_) return;
    Write(batch_.get(), batchUsed_);
    batchUsed_ = 0;
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
