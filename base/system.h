#pragma once
// The operating system under the Qt-free layers. system.cpp is the one file of them that
// includes the system's own headers (POSIX, or Windows' API): everything else asks here.
// Paths are UTF-8 text everywhere; on Windows they become UTF-16 for the system's wide-char
// calls, never text in the ANSI code page. Errors are errno values (SystemErrorText words them).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// A UTF-8 path as the file system's path, and back.
std::filesystem::path PathFromUtf8(const std::string& path);
std::string PathToUtf8(const std::filesystem::path& path);

// std::fopen for a UTF-8 path.
std::FILE* OpenFile(const std::string& path, const char* mode);

struct TFileStatus {
    bool Exists = false;
    bool Directory = false;
    bool Regular = false;
    unsigned Mode = 0; // permission bits (POSIX)
};
// What is at `path`, links followed.
TFileStatus StatusOf(const std::string& path);
// Follows symbolic links by hand, so a link whose target does not exist yet still leads to
// where the file is to be created (POSIX; elsewhere the path itself).
std::string FollowLinks(const std::string& path);

// 0 when the existing file may be written, else the reason.
int WriteProblem(const std::string& path);
// 0 when files may be created in the folder, else the reason.
int FolderWriteProblem(const std::string& folder);
// The folder belongs to the user who runs the program, and that user is not the administrator
// (POSIX: root). Windows: the folder may be written.
bool OwnedByUser(const std::string& folder);

// When `path` is the file this process's standard output or error goes to (e.g. "/dev/stdout"
// while it is redirected into a file): a new stream on that descriptor, so the text lands where
// the shell put the stream. Null otherwise.
std::FILE* OpenOwnStandardStream(const std::string& path);
// Opens a pipe or device for writing without waiting for a reader (a pipe nobody reads fails
// with ENXIO); writes then block as usual.
std::FILE* OpenDevice(const std::string& path, int& error);
// Opens an existing file for writing from its start, emptied.
std::FILE* OpenTruncated(const std::string& path, int& error);

// A new temporary file named ".orlek-XXXXXX" in `folder`, with the permission bits `mode`
// (POSIX). While it is registered (Slot >= 0), an interrupt removes it.
struct TTemporaryFile {
    std::FILE* File = nullptr;
    std::string Path;
    int Slot = -1;
};
TTemporaryFile CreateTemporaryFile(const std::string& folder, unsigned mode, int& error);
void UnregisterTemporaryFile(int slot);
// 0666 less the umask (POSIX).
unsigned DefaultFileMode();
// Puts `from` in the place of `to` in one step: whoever opens `to` sees the old file or the new
// one, never neither. 0 or the reason.
int ReplaceFileAtomically(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
// SIGINT, SIGTERM and SIGHUP (Windows: Ctrl+C, Ctrl+Break, closing the console) remove the
// registered temporary files, then end the process as they would have.
void RemoveTemporaryFilesOnInterrupt();

// The program's arguments after its name, as UTF-8 (Windows: from the wide command line, not
// `argv`, whose text is in the ANSI code page).
std::vector<std::string> CommandLineArguments(int argc, char** argv);
// The console shows UTF-8 text (Windows: its code pages are set to UTF-8; POSIX: nothing to do).
void UseUtf8Console();
// The running executable, symbolic links resolved; empty when the system does not tell.
std::string ExecutablePath();
