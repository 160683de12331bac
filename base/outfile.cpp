#include "base/outfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/syserror.h"
#include "base/system.h"

namespace {

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

} // namespace

void RemoveTemporaryFilesOnSignals() { RemoveTemporaryFilesOnInterrupt(); }

TOutputFile::~TOutputFile() { Discard(); }

// A pipe or device. Opened without waiting, so a pipe with no reader is an error rather than
// a hang; then switched back to ordinary blocking writes.
bool TOutputFile::OpenDirect(const std::string& path, std::string& error) {
    int e = 0;
    file_ = OpenDevice(path, e);
    if (!file_) {
        error = "Ne morem pisati v " + Quoted(path) + ": " +
                (e == ENXIO ? std::string("cevi nihče ne bere") : SystemErrorText(e));
        return false;
    }
    direct_ = true;
    return true;
}

bool TOutputFile::Open(const std::string& path, std::string& error) {
    Discard();
    path_ = path;
    direct_ = false;
    fallback_ = false;
    if (path.empty()) {
        error = "Ime izhodne datoteke je prazno";
        return false;
    }

    const TFileStatus status = StatusOf(path);
    const bool exists = status.Exists;
    if (exists && status.Directory) {
        error = "Ne morem pisati v " + Quoted(path) + ": to je mapa";
        return false;
    }
    if (exists && !status.Regular) return OpenDirect(path, error);

    // The file this process's standard output or error goes to (e.g. "/dev/stdout" while the
    // output is redirected into a file): written through that stream's own descriptor, so the
    // text lands where the shell put the stream, in order, and the file is not replaced under it.
    if (exists && (file_ = OpenOwnStandardStream(path)) != nullptr) {
        direct_ = true;
        return true;
    }

    // A file we may not write is refused, as the shell refuses "> file": replacing it through
    // a temporary file would get round its permissions.
    const std::string target = FollowLinks(path);
    if (exists) {
        if (const int e = WriteProblem(target); e != 0) {
            error = "Ne morem pisati v " + Quoted(path) + ": " +
                    (e == EACCES ? std::string("datoteka je samo za branje") : SystemErrorText(e));
            return false;
        }
    }

    // A regular file or a new one: a temporary file beside the real file, renamed at the end.
    mode_ = exists ? status.Mode : DefaultFileMode();
    std::string dir = PathToUtf8(PathFromUtf8(target).parent_path());
    if (dir.empty()) dir = ".";
    int e = 0;
    TTemporaryFile temp = CreateTemporaryFile(dir, mode_, e);
    if (!temp.File) {
        if (exists && (e == EACCES || e == EPERM)) {
            // The folder takes no new file but the file itself may be written: write it in place.
            int e2 = 0;
            if ((file_ = OpenTruncated(target, e2)) != nullptr) {
                direct_ = fallback_ = true;
                return true;
            }
            error = "Ne morem pisati v " + Quoted(path) + ": " + SystemErrorText(e2);
            return false;
        }
        error = "Ne morem ustvariti datoteke " + Quoted(path) + ": " + SystemErrorText(e);
        return false;
    }
    file_ = temp.File;
    slot_ = temp.Slot;
    target_ = target;
    temp_ = temp.Path;
    return true;
}

void TOutputFile::ForgetTemporary() {
    UnregisterTemporaryFile(slot_);
    slot_ = -1;
    temp_.clear();
}

bool TOutputFile::Commit(std::string& error) {
    if (!file_) {
        error = "Datoteka " + Quoted(path_) + " ni odprta";
        return false;
    }
    int e = 0;
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) e = errno ? errno : EIO;
    if (std::fclose(file_) != 0 && e == 0) e = errno ? errno : EIO;
    file_ = nullptr;
    if (!direct_) {
        if (e == 0) e = ReplaceFileAtomically(temp_, target_);
        if (e != 0) RemoveFile(temp_);
        ForgetTemporary();
    }
    if (e != 0) {
        error = "Napaka pri pisanju datoteke " + Quoted(path_) + ": " + SystemErrorText(e);
        if (fallback_)
            error += " (mapa ne dovoli začasne datoteke, zato je bila datoteka pisana neposredno in je "
                     "morda nepopolna)";
        return false;
    }
    return true;
}

void TOutputFile::Discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    if (!direct_) {
        RemoveFile(temp_);
        ForgetTemporary();
    }
}
