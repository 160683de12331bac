#include "workbench/findreplace.h"

#include <QApplication>
#include <QScreen>
#include <Qsci/qsciscintilla.h>
#include <algorithm>

#include "editor/frmkoda.h"
#include "windows/prompt.h"
#include "workbench/finddialog.h"

TFindReplace::TFindReplace(TfrmKoda& koda, QWidget* dialogParent)
    : QObject(dialogParent), koda(koda), findDialog(new TFindDialog(TFindDialog::Kind::Find, dialogParent)),
      replaceDialog(new TFindDialog(TFindDialog::Kind::Replace, dialogParent)) {
    connect(findDialog, &TFindDialog::findRequested, this, &TFindReplace::FindRequest);
    connect(replaceDialog, &TFindDialog::findRequested, this, &TFindReplace::FindRequest);
    connect(replaceDialog, &TFindDialog::replaceRequested, this, &TFindReplace::ReplaceRequest);
}

void TFindReplace::ShowFind() { Show(findDialog); }

void TFindReplace::ShowReplace() { Show(replaceDialog); }

void TFindReplace::SetReplaceEnabled(bool enabled) {
    if (!enabled) replaceDialog->hide();
}

void TFindReplace::HideDialogs() {
    findDialog->hide();
    replaceDialog->hide();
}

void TFindReplace::Show(TFindDialog* dialog) {
    if (!dialog->property("placed").toBool()) {
        // First showing: over the lower part of the code window, whose text it searches, rather
        // than over the strip at the top of the screen.
        dialog->adjustSize();
        const QRect code = koda.frameGeometry();
        QPoint at(code.center().x() - dialog->width() / 2, code.top() + code.height() * 2 / 3);
        const QScreen* screen = koda.screen() ? koda.screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - dialog->width())));
            at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - dialog->height())));
        }
        dialog->move(at);
        dialog->setProperty("placed", true);
    }
    ShowAboveTools(*dialog);
    dialog->FocusSearchText();
}

void TFindReplace::FindRequest(TFindDialog* dialog) {
    const QString text = dialog->FindText();
    if (text.isEmpty()) return;
    QsciScintilla* ed = koda.txtKoda;
    const bool down = dialog->kind() == TFindDialog::Kind::Find ? dialog->Down() : true;
    int line = 0, index = 0;
    if (ed->hasSelectedText()) {
        int l1 = 0, i1 = 0, l2 = 0, i2 = 0;
        ed->getSelection(&l1, &i1, &l2, &i2);
        line = down ? l2 : l1;
        index = down ? i2 : i1;
    } else {
        ed->getCursorPosition(&line, &index);
    }
    if (!ed->findFirst(text, false, dialog->MatchCase(), dialog->WholeWord(), false, down, line, index))
        QApplication::beep();
}

void TFindReplace::ReplaceRequest(TFindDialog* dialog, bool all) {
    const QString text = dialog->FindText();
    if (text.isEmpty() || koda.txtKoda->isReadOnly()) return;
    QsciScintilla* ed = koda.txtKoda;
    const QString replacement = dialog->ReplaceText();
    if (!all) {
        int line = 0, index = 0;
        if (ed->hasSelectedText()) {
            int l2 = 0, i2 = 0;
            ed->getSelection(&line, &index, &l2, &i2);
        } else {
            ed->getCursorPosition(&line, &index);
        }
        if (ed->findFirst(text, false, dialog->MatchCase(), dialog->WholeWord(), false, true, line, index))
            ed->replace(replacement);
        else QApplication::beep();
        return;
    }
    ed->beginUndoAction();
    int count = 0;
    if (ed->findFirst(text, false, dialog->MatchCase(), dialog->WholeWord(), false, true, 0, 0)) {
        do {
            ed->replace(replacement);
        } while (++count < 1000000 && ed->findNext());
    }
    ed->endUndoAction();
    if (count == 0) QApplication::beep();
}
