#pragma once
#include <QDialog>

// The about window "O programu": the program's name and version, what it is, its licence and
// the libraries it is built with, with their versions. Modal; Escape or "Zapri" closes it. The
// text is "Text" (a label), the version of the build comes from CMake.
class TfrmOProgramu : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOProgramu(QWidget* parent = nullptr);

    static QString Version();
    QString Text() const;
};
