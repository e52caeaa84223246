// A double click on a report line: the folder tag editor for a folder-path
// line, the rename editor for a planned folder rename.
#include "editor.h"
#include "names.h"
#include "platform.h"
#include "review.h"

namespace ui {

namespace {

// The run dialog dressed as the rename editor for as long as it lives; its
// own dress comes back whatever happens.
class renamedress {
public:
    explicit renamedress(forms::TForm2& d) : d_(d) { dress(true); }
    ~renamedress() { dress(false); }
    renamedress(const renamedress&) = delete;
    renamedress& operator=(const renamedress&) = delete;

private:
    void dress(bool rename) {
        d_.caption =
            rename ? u"Редактировать переименование" : u"Требуется вмешательство пользователя";
        d_.Label1.caption = rename ? u"Новое имя каталога" : u"Новое имя папки";
        d_.Label2.caption = rename ? u"Нынешнее имя" : u"Исполнитель";
        d_.Label3.caption = rename ? u"Переименовать в" : u"Альбом";
        d_.Button1.caption = rename ? u"Ok" : u"Да";
        d_.Button2.caption = rename ? u"Cancel" : u"Нет";
        d_.Edit1.enabled = !rename;
        d_.Edit2.enabled = d_.Button2.visible = true;
        for (forms::control* c : std::initializer_list<forms::control*>{
                 &d_.Label4, &d_.Label5, &d_.Edit3, &d_.Button3, &d_.Button4, &d_.Button5})
            c->visible = !rename;
        // Esc is the editor's "Cancel"; in a run's question it answers nothing.
        if (!rename) {
            d_.onkeydown = std::move(keys_);
            return;
        }
        keys_ = std::move(d_.onkeydown);
        d_.onkeydown = [this](forms::control* from, std::uint16_t& key, unsigned shift) {
            if (key == forms::vkEscape) {
                d_.click(d_.Button2);
                key = 0;
            } else if (keys_) {
                keys_(from, key, shift);
            }
        };
    }
    forms::TForm2& d_;
    std::function<void(forms::control*, std::uint16_t&, unsigned)> keys_; // the dialog's own
};

void editfolder(program& p, const std::u16string& folder) {
    p.Form10.caption = u"Редактор MP3-тегов папки: " + checker::lastdirtext(folder);
    p.Form10.Label1.caption = folder;
    listfoldertags(p);
    // Files written stay written however the editor was closed (its close
    // box, Esc, the program closing): their planned writes must not undo them.
    p.host.showmodal(p.Form10);
    if (!p.Form10.written.empty()) switchfolderops(p, p.Form10.Label1.caption, 0);
}

void editrename(program& p, checker::oplist& op, int row) {
    forms::TForm2& d = p.Form2;
    renamedress dress(d);
    const std::u16string current = checker::lastdir(op.pathname);
    d.Edit1.text = platform::nametext(current); // shown only: compared is the name's own
    d.Edit2.text = checker::lastdir(op.newname);
    d.Button7.visible = false;
    d.keepedits();
    // Only "Ok" with no new name asks again; a closing program ends it.
    bool taken = false;
    while (!taken && !p.closing && p.host.showmodal(d) == forms::mrOk)
        taken = !d.Edit2.text.empty() && d.Edit2.text != current;
    if (!taken) return;
    std::u16string name = d.Edit2.text;
    checker::cleanname(p.c, name);
    op.newname = checker::parentdir(op.newname) + name;
    const std::u16string head = u"  > Переименовать ", to = u" В ";
    checker::setline(p.c, row, head + current + to + name,
                     head + platform::nametext(current) + to + platform::nametext(name));
    p.Form1.ListView1.showrow = row;
    p.host.repaint(p.Form1);
}

} // namespace

void opEdit(program& p) {
    forms::TForm1& f = p.Form1;
    const int row = f.ListView1.itemindex;
    if (row < 0 || row >= int(f.ListView1.items.size())) return;
    // A folder that Apply has renamed since is no longer there to edit.
    const std::u16string line = f.ListView1.items[row];
    if (folderline(line) && platform::isfolder(line)) editfolder(p, line);

    bool perform = false, undo = false;
    checker::opcodeset opcode{};
    if (!f.CheckBox4.checked || !f.Button3.enabled) return;
    checker::oplist* op = checker::findop(p.c, row, perform, undo, opcode);
    if (op && perform && opcode == checker::rename_dir) editrename(p, *op, row);
}

} // namespace ui
