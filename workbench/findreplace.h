#pragma once
#include <QObject>

class QWidget;
class TFindDialog;
class TfrmKoda;

// Find and replace in the code window's text: the find dialog and the replace dialog (made
// once, shown and hidden), where they appear, and what their requests do to the editor.
class TFindReplace : public QObject {
    Q_OBJECT
public:
    // The dialogs are children of `dialogParent`, found by their object names "FindDialog1" and
    // "ReplaceDialog1".
    TFindReplace(TfrmKoda& koda, QWidget* dialogParent);

    // "&Najdi" and "Zamenjaj": shows the dialog with the focus in its search field.
    void ShowFind();
    void ShowReplace();
    // Replacing belongs to the file group: switched off, the replace dialog goes away.
    void SetReplaceEnabled(bool enabled);
    void HideDialogs();

private:
    void Show(TFindDialog* dialog);
    // The search text is looked for from the caret or the selection in the dialog's
    // direction, with its case and whole-word options; a miss beeps.
    void FindRequest(TFindDialog* dialog);
    // One replacement from the caret forward, or every one in the text as a single undo step.
    void ReplaceRequest(TFindDialog* dialog, bool all);

    TfrmKoda& koda;
    TFindDialog* findDialog;
    TFindDialog* replaceDialog;
};
