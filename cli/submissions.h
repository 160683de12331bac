#pragma once
// The programs of a class, found from the paths on the command line: a file is one program; a
// folder holds a program in each of its .asm and .s07 files, and a student's program in each of
// its sub-folders (one folder per student, as a course platform hands them out).
#include <string>
#include <vector>

struct TSubmission {
    std::string Name;    // as reports show it: the path given, or the folder joined with the entry
    std::string File;    // the program file; empty when none could be chosen
    std::string Problem; // why no program could be chosen (Slovenian, UTF-8), else empty
};

// Whether a file name has the extension of a source file (.asm or .s07, in any case).
bool IsSourceFileName(const std::string& name);

// Every program under `paths`, in the order of the paths and by name within a folder. In a
// student's folder the program is the one source file found in it (sub-folders included,
// hidden ones skipped); of several, the one named like the exercise (`exerciseStem`, e.g.
// "kvadrat" for kvadrat.json); otherwise the submission carries a Problem. Entries whose
// names begin with "." are skipped. A path that is neither a file nor a folder, or a folder
// without any program or student folder, throws FileError.
std::vector<TSubmission> FindSubmissions(const std::vector<std::string>& paths,
                                         const std::string& exerciseStem);
