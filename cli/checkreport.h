#pragma once
#include <string>

#include "session/exercisecheck.h"

// What `orlek-cli check` prints for one program: the exercise's title, the run's messages, each
// checkpoint with one line per expectation ("ok" or "NAPAKA" with the expected and the actual
// value), and the count of the expectations met. A hidden checkpoint shows only whether it held,
// unless `showHidden`; an exercise that gives points adds them.
std::string FormatCheckText(const TExercise& exercise, const TExerciseResult& result,
                            bool showHidden = false);
// The same as one JSON object followed by a line end.
std::string FormatCheckJson(const TExercise& exercise, const TExerciseResult& result,
                            bool showHidden = false);
