#pragma once
// The toolkit's own texts in Slovenian: Debian's Slovenian catalogue of the toolkit where it is
// installed, and the workbench's catalogue of what that one lacks (the standard buttons, the
// print and file dialogs), built into the program. Call once, after the application exists.
void InstallTranslations();
