#include "listing.h"

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

TListing::TListing(const std::string& path, std::vector<int>& errors)
    : path_(path), temp_(path + ".XXXXXX"), errors_(errors) {
    int fd = mkstemp(temp_.data());
    if (fd < 0) {
        temp_.clear();
        Report(1);
        return;
    }
    fchmod(fd, 0644);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        std::remove(temp_.c_str());
        temp_.clear();
        Report(1);
        return;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

TListing::~TListing() {
    if (file_) {
        std::fclose(file_);
        std::remove(temp_.c_str());
    }
}

void TListing::Report(int code) {
    if (std::find(errors_.begin(), errors_.end(), code) == errors_.end()) errors_.push_back(code);
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
    if (!file_ || writeFailed_) return;
    buffer_.clear();
    FormatLine(buffer_, number, listingText, source);
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        writeFailed_ = true;
        Report(2);
    }
}

void TListing::Close() {
    if (!file_) return;
    bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    int closed = std::fclose(file_);
    file_ = nullptr;
    if (!flushed && !writeFailed_) {
        // Buffered data that never reached the disk is a write failure of its lines.
        writeFailed_ = true;
        Report(2);
    }
    if (writeFailed_) {
        std::remove(temp_.c_str());
        return;
    }
    if (closed != 0 || std::rename(temp_.c_str(), path_.c_str()) != 0) {
        std::remove(temp_.c_str());
        Report(3);
    }
}
