#include "cli/submissions.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "base/syserror.h"
#include "cli/files.h"

namespace fs = std::filesystem;

namespace {

// How deep a student's folder is searched, and how many entries at most: a course platform's
// copy of a repository holds the program near the top, and a folder that is no student's (a
// whole disk given by mistake) must not be walked to its end.
constexpr int kMaxDepth = 4;
constexpr size_t kMaxEntries = 10000;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The entries of a folder by name; throws FileError when it cannot be read.
std::vector<fs::directory_entry> Entries(const std::string& folder) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    fs::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (Hidden(it->path())) continue;
        entries.push_back(*it);
        if (entries.size() > kMaxEntries)
            throw FileError("Mapa \"" + folder + "\" ima več kot " + std::to_string(kMaxEntries) + " vnosov");
    }
    if (ec) throw FileError("Mape \"" + folder + "\" ni mogoče prebrati: " + SystemErrorText(ec.value()));
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    return entries;
}

bool IsFolder(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_directory(ec);
}

bool IsFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec);
}

// The source files in a student's folder and its sub-folders, relative to it.
void SourcesIn(const fs::path& folder, const std::string& relative, int depth,
               std::vector<std::string>& found, size_t& seen) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end && seen < kMaxEntries;
         it.increment(ec)) {
        ++seen;
        if (!Hidden(it->path())) entries.push_back(*it);
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        const std::string path = relative.empty() ? name : relative + "/" + name;
        if (IsFile(entry) && IsSourceFileName(name)) found.push_back(path);
        else if (IsFolder(entry) && depth < kMaxDepth) SourcesIn(entry.path(), path, depth + 1, found, seen);
    }
}

std::string Stem(const std::string& relative) {
    const std::string name = fs::path(relative).stem().string();
    return Lower(name);
}

TSubmission StudentFolder(const std::string& folder, const std::string& name,
                          const std::string& exerciseStem) {
    TSubmission s;
    s.Name = Join(folder, name);
    std::vector<std::string> found;
    size_t seen = 0;
    SourcesIn(fs::path(s.Name), "", 1, found, seen);
    if (found.empty()) {
        s.Problem = "v mapi ni programa (datoteke .asm ali .s07)";
        return s;
    }
    std::vector<std::string> chosen = found;
    if (found.size() > 1) {
        chosen.clear();
        for (const std::string& f : found)
            if (!exerciseStem.empty() && Stem(f) == Lower(exerciseStem)) chosen.push_back(f);
    }
    if (chosen.size() != 1) {
        std::string list;
        for (size_t i = 0; i < found.size() && i < 5; ++i)
            list += (i ? ", " : "") + found[i];
        if (found.size() > 5) list += ", ...";
        s.Problem = "v mapi je več programov (" + list + "); ni jasno, katerega preveriti" +
                    (exerciseStem.empty() ? std::string()
                                          : " (nobeden ali več jih je imenovanih " + exerciseStem + ".asm)");
        return s;
    }
    s.File = Join(s.Name, chosen[0]);
    return s;
}

} // namespace

bool IsSourceFileName(const std::string& name) {
    const std::string ext = Lower(fs::path(name).extension().string());
    return ext == ".asm" || ext == ".s07";
}

std::vector<TSubmission> FindSubmissions(const std::vector<std::string>& paths,
                                         const std::string& exerciseStem) {
    std::vector<TSubmission> all;
    for (const std::string& path : paths) {
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_regular_file(status)) {
            all.push_back({path, path, {}});
            continue;
        }
        if (!fs::is_directory(status)) {
            if (ec && ec != std::errc::no_such_file_or_directory)
                throw FileError("Ne morem brati \"" + path + "\": " + SystemErrorText(ec.value()));
            throw FileError("\"" + path + "\" ni ne datoteka ne mapa");
        }
        const size_t before = all.size();
        for (const fs::directory_entry& entry : Entries(path)) {
            const std::string name = entry.path().filename().string();
            if (IsFile(entry) && IsSourceFileName(name))
                all.push_back({Join(path, name), Join(path, name), {}});
            else if (IsFolder(entry)) all.push_back(StudentFolder(path, name, exerciseStem));
        }
        if (all.size() == before)
            throw FileError("V mapi \"" + path + "\" ni programov (.asm, .s07) ne map s programi");
    }
    return all;
}
