#pragma once
// An output file (listing, S-records, the command line's log) written so that a failure never
// leaves half a file and the target keeps its nature:
//  - a new file, or an existing regular file, is written to a temporary file in the directory
//    of the real file and renamed over it by Commit. Symbolic links are followed (also a link
//    whose target does not exist yet), so a link stays a link and its target gets the text; an
//    existing file keeps its permission bits, a new one gets 0666 less the umask. The
//    temporary name is short (".orlek-XXXXXX"), so any name the file system takes works;
//  - an existing file that may not be written is refused, as a shell redirection would;
//  - an existing writable file in a folder that refuses new files is written directly (the
//    only way to save it at all). That cannot be atomic: when such a write fails, the message
//    says that the file may be incomplete;
//  - a named pipe, a terminal or another device is opened and written directly: renaming over
//    it would destroy it. A pipe that nobody reads is refused at once instead of waiting;
//  - a directory is refused.
// Messages are Slovenian (UTF-8), name the path as it was given and give the system's reason
// in Slovenian words.
#include <cstdio>
#include <string>

class TOutputFile {
public:
    TOutputFile() = default;
    ~TOutputFile(); // an uncommitted file is discarded
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // Opens the target for writing; false with a message when that is impossible. An output
    // that was open before is discarded first.
    bool Open(const std::string& path, std::string& error);
    // The stream to write to; null when not open.
    std::FILE* Stream() const { return file_; }
    bool IsOpen() const { return file_ != nullptr; }
    // Flushes and closes; a regular file is then renamed into place. False with a message when
    // any of it failed (a write error shows here at the latest); the old file is then untouched,
    // except after a direct write into a file whose folder refused the temporary file.
    bool Commit(std::string& error);
    // Closes and throws away what was written (for a pipe or device, only closes).
    void Discard();

    // The target is written directly: a pipe or device, or a file whose folder refused the
    // temporary file (DirectFallback).
    bool Direct() const { return direct_; }
    bool DirectFallback() const { return fallback_; }

private:
    bool OpenDirect(const std::string& path, std::string& error);
    void ForgetTemporary();

    std::string path_;   // as given, for messages
    std::string target_; // the real file a regular output replaces
    std::string temp_;   // the temporary file beside it
    std::FILE* file_ = nullptr;
    bool direct_ = false;
    bool fallback_ = false;
    int slot_ = -1; // entry in the table of temporary files removed on a signal
    unsigned mode_ = 0;
};

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files of every output still open, then
// end the process as the signal would have. For programs that run unattended (orlek-cli).
void RemoveTemporaryFilesOnSignals();
