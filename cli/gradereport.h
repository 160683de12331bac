#pragma once
// What grading a class gives to the teacher and to course platforms. Hidden checkpoints show
// only their number and whether they held, unless `showHidden`.
#include <string>
#include <vector>

#include "cli/grade.h"
#include "session/exercise.h"

// The summary table: the exercise's title, one row per program (name, points, checkpoints met
// and not met, the first failure's text) and a closing count.
std::string FormatGradeTable(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                             bool showHidden);
// The same as one JSON object followed by a line end.
std::string FormatGradeJson(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                            bool showHidden);
// CSV (RFC 4180, CR LF line ends): the header "program,points,max,passed,failed" and a column
// per checkpoint, then a row per program with 1 or 0 for each checkpoint.
std::string FormatGradeCsv(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                           bool showHidden);
// JUnit XML: a test suite per program, a test case per checkpoint; a checkpoint not met is a
// failure with its expected and found values, a program that could not be checked an error.
std::string FormatGradeJUnit(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                             bool showHidden);

// The caption of checkpoint `index` (0-based): "Preverjanje 2 (Konec programa)".
std::string CheckpointCaption(const TExercise& exercise, size_t index, bool showHidden);
