#pragma once
// The operating system's reason for a failed file operation, in Slovenian words.
#include <string>

// A short Slovenian phrase for an errno value ("datoteka ali mapa ne obstaja", "nimate
// dovoljenja", "na disku ni več prostora", ...), for messages of the form
// "Ne morem odpreti datoteke X: <reason>". Values without a phrase of their own read
// "sistemska napaka N". Never returns the C library's (English) text.
std::string SystemErrorText(int error);
