#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The find dialog and the replace dialog (one class, two layouts). Both are modeless; they
// report requests through signals and the main window searches the editor.
class TFindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };
    TFindDialog(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    QString FindText() const;
    QString ReplaceText() const;
    bool MatchCase() const;
    bool WholeWord() const;
    bool Down() const; // search direction (the replace dialog always searches forward)

    QLineEdit* txtFind = nullptr;
    QLineEdit* txtReplace = nullptr;
    QCheckBox* cbMatchCase = nullptr;
    QCheckBox* cbWholeWord = nullptr;
    QRadioButton* rbUp = nullptr;
    QRadioButton* rbDown = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnReplace = nullptr;
    QPushButton* btnReplaceAll = nullptr;

signals:
    void findRequested(TFindDialog* dialog);
    void replaceRequested(TFindDialog* dialog, bool all);

private:
    Kind kind_;
};
