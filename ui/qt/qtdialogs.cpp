// qthost: Qt's own dialogs, the message and error boxes and the folder browser.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QTreeView>
#include <algorithm>

#include "qtext.h"
#include "qthost.h"
#include "xdisplay.h"

namespace uiqt {

namespace {

// The folder browser's date and kind columns in the program's language: Qt
// writes a date in the system's language and leaves a folder's kind
// untranslated.
class foldercolumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    static constexpr int datecolumn = 3;
    static QString date(const QDateTime& t) { return QLocale().toString(t, QLocale::ShortFormat); }
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role == Qt::DisplayRole && files) {
            const QModelIndex i = mapToSource(index);
            if (index.column() == datecolumn) return date(files->lastModified(i));
            if (index.column() == 2 && files->isDir(i))
                return QCoreApplication::translate("QFileDialog", "Folder");
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// Qt makes the date column as wide as an English date, which cuts a Russian
// one short: it is made as wide as the widest date the column can show, with
// the widest digit in every place, each month's name for a language that
// writes one, and the room the view leaves beside a cell's text.
void widendates(QFileDialog& dialog) {
    auto* view = dialog.findChild<QTreeView*>();
    if (!view) return;
    const QFontMetrics metrics = view->fontMetrics();
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest)) widest = d;
    int text = 0;
    for (int month = 1; month <= 12; ++month) {
        QString date = foldercolumns::date(QDateTime(QDate(2000, month, 28), QTime(23, 58)));
        for (QChar& c : date)
            if (c.isDigit()) c = widest;
        text = std::max(text, metrics.horizontalAdvance(date));
    }
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    QHeaderView* header = view->header();
    const int column = foldercolumns::datecolumn;
    header->resizeSection(column, std::max(header->sectionSize(column), text + 2 * margin));
}

// The window a dialog of Qt's own comes over: the active one, unless it is
// hidden, as a window whose form is gone is until it is deleted (the dialog,
// its child, would go with it).
QWidget* dialogowner() {
    QWidget* w = QApplication::activeWindow();
    return w && w->isVisible() ? w : nullptr;
}

// Qt fixes a message box's size to its text as it shows it, yet offers the
// window manager resizing in its hints: the box asks for its close box alone.
void showbox(QMessageBox::Icon icon, const std::u16string& text, QObject& keepshown) {
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), qs(text), QMessageBox::Ok,
                    dialogowner());
    box.installEventFilter(&keepshown);
    xdisplay::askframe(box, {.close = true});
    box.exec();
}

} // namespace

void qthost::messagebox(const std::u16string& text) {
    if (boxhook) return boxhook(text, false);
    refreshall();
    showbox(QMessageBox::NoIcon, text, *keepshown_);
}

void qthost::errorbox(const std::u16string& text) {
    // The application's error box ends a sentence the way the user expects.
    std::u16string shown = text;
    if (!shown.empty() && shown.back() > u'.') shown.push_back(u'.');
    if (boxhook) return boxhook(shown, true);
    refreshall();
    showbox(QMessageBox::Critical, shown, *keepshown_);
}

bool qthost::browsefolder(const std::u16string& title, const std::u16string& start,
                          std::u16string& chosen) {
    refreshall();
    QFileDialog dialog(dialogowner(), qs(title));
    dialog.installEventFilter(keepshown_.get());
    dialog.setProxyModel(new foldercolumns(&dialog));
    widendates(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Choosing a root must not offer to rename or delete the user's folders.
    dialog.setOption(QFileDialog::ReadOnly);
    if (!start.empty()) {
        // Open the folder's parent with the folder itself selected.
        const QFileInfo info(qpath(start));
        if (info.isDir() && !info.isRoot()) {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        } else if (info.isDir()) {
            dialog.setDirectory(info.absoluteFilePath());
        }
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return false;
    QString path = files.first();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    chosen = u16path(path);
    return true;
}

} // namespace uiqt
