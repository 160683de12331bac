#include "windows/prompt.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "windows/vnos.h"

namespace {

QWidget* DialogParent() { return QApplication::activeWindow(); }

// The file list's "Date Modified" column in Slovenian ("9. 12. 25 14:05"): the toolkit writes it
// in the desktop's language.
class TSlovenianDates final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.column() == 3)
            if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel()))
                return QLocale(QLocale::Slovenian, QLocale::Slovenia)
                    .toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

// A message box above the tool windows; returns the button pressed.
QMessageBox::StandardButton Ask(QMessageBox::Icon icon, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton preferred = QMessageBox::NoButton) {
    QMessageBox box(icon, title, text, buttons, DialogParent());
    if (preferred != QMessageBox::NoButton) box.setDefaultButton(preferred);
    PrepareAboveTools(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// The toolkit's own file dialog (not the desktop's), so it comes up above the tool windows and
// speaks the workbench's language.
QString ChooseFile(QFileDialog::AcceptMode mode, const QString& title, const QString& directory,
                   const QString& filter) {
    QFileDialog dialog(DialogParent(), title, directory, filter);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setProxyModel(new TSlovenianDates(&dialog));
    PrepareAboveTools(dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

// Real dialogs and message boxes.
class InteractivePrompt final : public TPrompt {
public:
    void ShowMessage(const QString& title, const QString& text) override {
        Ask(QMessageBox::Information, title, text, QMessageBox::Ok);
    }
    void ShowError(const QString& title, const QString& text) override {
        Ask(QMessageBox::Critical, title, text, QMessageBox::Ok);
    }
    Answer AskYesNoCancel(const QString& title, const QString& text) override {
        switch (Ask(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
    bool AskYesNo(const QString& title, const QString& text) override {
        return Ask(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                   QMessageBox::Yes) == QMessageBox::Yes;
    }
    std::optional<QString> AskValue(const QString& caption, const QString& initial) override {
        // The value-entry dialog created at start-up, or a temporary one before it exists.
        if (TfrmVnos* dialog = ValueDialog()) {
            if (!dialog->ShowEntry(caption, initial)) return std::nullopt;
            return dialog->EntryText;
        }
        TfrmVnos dialog(DialogParent());
        if (!dialog.ShowEntry(caption, initial)) return std::nullopt;
        return dialog.EntryText;
    }
    QString ChooseOpenFile(const QString& title, const QString& directory, const QString& filter) override {
        return ChooseFile(QFileDialog::AcceptOpen, title, directory, filter);
    }
    QString ChooseSaveFile(const QString& title, const QString& directory, const QString& filter) override {
        return ChooseFile(QFileDialog::AcceptSave, title, directory, filter);
    }
};

InteractivePrompt interactivePrompt;
TPrompt* current = &interactivePrompt;

} // namespace

bool TPrompt::ExecDialog(QDialog& dialog) {
    PrepareAboveTools(dialog);
    return dialog.exec() == QDialog::Accepted;
}

void PrepareAboveTools(QWidget& window) {
    if (!window.isWindow()) return;
    if (!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        // A new flag re-creates a shown window, which hides it: it comes back where it was.
        const bool visible = window.isVisible();
        const QPoint position = window.pos();
        window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        if (visible) {
            window.move(position);
            window.show();
        }
    }
    // The whole window on the screen it opens on: a dialog taller than a laptop's screen would
    // hide its buttons below the edge. The frame is taken to be the parent window's.
    const QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    const QScreen* screen = parent ? parent->screen() : window.screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    QSize frame(16, 40);
    if (parent && parent->isVisible()) frame = parent->frameGeometry().size() - parent->size();
    const QSize room = (area.size() - frame).expandedTo(QSize(100, 100));
    const QSize size = window.size().boundedTo(room);
    if (size != window.size()) window.resize(size);
    if (window.isVisible() || window.testAttribute(Qt::WA_Moved)) {
        QRect r(window.pos(), size + frame);
        if (!area.contains(r)) {
            r.moveRight(std::min(r.right(), area.right()));
            r.moveBottom(std::min(r.bottom(), area.bottom()));
            r.moveLeft(std::max(r.left(), area.left()));
            r.moveTop(std::max(r.top(), area.top()));
            window.move(r.topLeft());
        }
    }
}

void ShowAboveTools(QWidget& window) {
    PrepareAboveTools(window);
    if (window.isMinimized()) window.showNormal();
    else window.show();
    window.raise();
    window.activateWindow();
}

TPrompt& Prompt() { return *current; }

void SetPrompt(TPrompt* prompt) { current = prompt ? prompt : &interactivePrompt; }
