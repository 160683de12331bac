#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The find dialog and the replace dialog (one class, two layouts). Both are modeless; they
// report requests through signals and the find controller (TFindReplace) searches the editor.
// Their controls carry object names (txtFind, txtReplace, cbMatchCase, cbWholeWord, rbUp,
// rbDown, btnFind, btnReplace, btnReplaceAll).
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
    // Focus in the search field with its text selected, ready to be typed over.
    void FocusSearchText();

signals:
    void findRequested(TFindDialog* dialog);
    void replaceRequested(TFindDialog* dialog, bool all);

private:
    Kind kind_;
    QLineEdit* txtFind = nullptr;
    QLineEdit* txtReplace = nullptr;
    QCheckBox* cbMatchCase = nullptr;
    QCheckBox* cbWholeWord = nullptr;
    QRadioButton* rbUp = nullptr;
    QRadioButton* rbDown = nullptr;
    QPushButton* btnFind = nullptr;
    QPushButton* btnReplace = nullptr;
    QPushButton* btnReplaceAll = nullptr;
};
