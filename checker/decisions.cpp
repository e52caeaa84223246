#include "decisions.h"

#include "analysis.h"
#include "genres.h"
#include "names.h"
#include "personal.h"
#include "platform.h"
#include "tagplan.h"
#include "tform2.h"
#include "tform3.h"
#include "tracknumbers.h"

namespace checker {

namespace {

void scrolltoend(context& c) {
    c.form1.ListView1.showrow = linecount(c) - 1;
    c.host.repaint(c.form1);
}

bool skipcompilations(const context& c) {
    return c.form1.CheckBox2.checked;
}

std::u16string foldername(const context& c) {
    return lastdir(c.curdir->item);
}

// Step 1: asks for the folder's artist, album and year until both names are
// there and the year is valid, or the user skips or stops.
void missingdata(context& c) {
    forms::TForm2& f = *c.form2;
    const std::u16string cut = cut45(platform::nametext(foldername(c)));
    do {
        f.Edit1.text = c.dirartist;
        f.Edit2.text = c.diralbum;
        f.Edit3.text = c.diryear;
        f.Button1.caption = u"Ok";
        f.Button2.visible = false;
        f.Label5.caption.clear();
        f.Label1.caption.clear();
        if (c.diralbum.empty()) f.Label5.caption = cut + u": Нет альбома";
        if (c.dirartist.empty()) f.Label5.caption = cut + u": Нет исполнителя";
        if (c.dirartist.empty() && c.diralbum.empty())
            f.Label5.caption = cut + u": нет альбома и исполнителя";
        if (!yearok(c.diryear) || c.diryear.empty())
            f.Label1.caption = cut + u": нет года (Ok - оставить пустым)";
        scrolltoend(c);

        if (c.dirartist.empty() || c.diralbum.empty()) {
            splitdirname(lastdirtext(c.curdir->item), c.nameartist, c.namealbum);
            stripyear(c.nameartist, c.namealbum, c.diryear);
            if (c.dirartist.empty() && !c.nameartist.empty()) f.Edit1.text = c.nameartist;
            if (c.diralbum.empty() && !c.namealbum.empty()) f.Edit2.text = c.namealbum;
            if (f.Edit2.text.empty() && f.Edit1.text != c.nameartist) f.Edit2.text = c.nameartist;
        }

        if (c.dirartist.empty() || c.diralbum.empty() || !yearok(c.diryear) ||
            (c.diryear.empty() && !c.keepname)) {
            c.dirok = false;
            f.Button7.visible = false;
            c.host.bringtofront(c.form1);
            f.keepedits();
            const int r = c.host.showmodal(f);
            if (r == forms::mrIgnore) {
                c.skip = true;
                addline(c, u" -- пропущено");
            } else {
                c.dirartist = f.Edit1.text;
                c.diralbum = f.Edit2.text;
                c.diryear = f.Edit3.text;
                if (r == forms::mrAbort) c.stop = true;
            }
        }
        f.Button1.caption = u"Да";
    } while (!c.skip && !c.stop &&
             (c.dirartist.empty() || c.diralbum.empty() || !yearok(c.diryear)));
}

// Shows the unify dialog until it is answered with both texts filled, or
// declined, stopped (or, where offered, made a personal compilation).
int askunify(context& c) {
    forms::TForm3& f = *c.form3;
    int r;
    do {
        r = c.host.showmodal(f);
    } while (r != forms::mrCancel && r != forms::mrAbort && r != forms::mrAll &&
             (f.ComboBox1.text.empty() || f.ComboBox2.text.empty()));
    return r;
}

void showtitlecontrols(forms::TForm3& f, bool on) {
    f.ComboBox1.visible = on;
    f.ComboBox2.visible = on;
    f.CheckBox1.visible = on;
    f.CheckBox2.visible = on;
}

// Step 5. False when the folder ends here (stop, personal compilation).
bool unifystep(context& c) {
    forms::TForm3& f = *c.form3;
    scrolltoend(c);
    if (c.onlytitles) {
        f.Label1.caption = u"Empty titles found. Would you like to fill them in with filenames?";
        showtitlecontrols(f, false);
    }
    c.host.bringtofront(c.form1);
    const int r = askunify(c);
    if (c.onlytitles) showtitlecontrols(f, true);
    if (r == forms::mrAbort) c.stop = true;
    if (r == forms::mrCancel) c.declined = true;
    if (r == forms::mrAll) {
        planpersonal(c);
        return false;
    }
    if (r == forms::mrOk) {
        c.accepted = true;
        plantagwrites(c, false);
    }
    return !c.stop;
}

// Step 9: the rename confirmation.
void confirmrename(context& c, bool skippedcompilation) {
    forms::TForm2& f = *c.form2;
    const std::u16string cut = cut45(platform::nametext(foldername(c)));
    if (!skippedcompilation) {
        f.Label5.caption = cut + u": найдены расхождения в тегах";
        f.Label1.caption = u"Все равно переименовать, используя сведения ниже?";
    } else {
        f.Button6.caption = u"НЕ компиляция";
        f.Button6.visible = true;
        f.Label5.caption = cut + u": возможно, компиляция";
        f.Label1.caption = u"Переименовать папку, используя сведения ниже?";
    }
    f.Edit1.text = c.dirartist;
    f.Edit2.text = c.diralbum;
    f.Edit3.text = c.diryear;
    f.Edit1.enabled = f.Edit2.enabled = f.Edit3.enabled = true;
    f.Button2.visible = true;
    scrolltoend(c);
    f.Button4.visible = false;
    f.Button7.visible = false;
    c.host.bringtofront(c.form1);
    f.keepedits();
    const int r = c.host.showmodal(f);
    if (skippedcompilation) {
        f.Button6.visible = false;
        f.Button6.caption = u"Личная компиляция";
        if (f.cmunified) plantagwrites(c, false);
    }
    f.Button4.visible = true;
    if (r == forms::mrAbort) {
        c.stop = true;
        return;
    }
    c.dirartist = f.Edit1.text;
    c.diralbum = f.Edit2.text;
    c.diryear = f.Edit3.text;
    if (r != forms::mrOk) c.keepname = true;
}

} // namespace

void decidefolder(context& c) {
    forms::TForm2& f2 = *c.form2;
    const std::u16string name = foldername(c);

    // Step 1, missing data.
    c.declined = false;
    c.accepted = false;
    if (c.dirartist.empty() || c.diralbum.empty() || c.diryear.empty()) {
        missingdata(c);
        if (c.skip || c.stop) return;
    }

    // Step 2, analysis.
    c.tagsincomplete = false;
    bool incomplete = false;
    checktags(c, c.problemcount, incomplete, c.compilation, c.onlytitles);
    const bool skippedcompilation = c.compilation && skipcompilations(c);

    // Step 3, compilation flag.
    if (skippedcompilation && c.cfg.itunesflag) {
        c.itunesplanned = true;
        setcompflag(c);
    }

    // Step 4.
    if (c.problemcount > 0) c.dirok = false;

    // Step 5, unify dialog.
    if (c.problemcount > 0 && !skippedcompilation && (!c.tagsincomplete || !c.cfg.silentfix)) {
        if (!unifystep(c)) return;
    }

    // Step 6, incomplete tags fixed without asking.
    if (c.problemcount > 0 && c.tagsincomplete && c.cfg.silentfix) {
        if (c.onlytitles) {
            if (c.cfg.titlesfromnames) plantagwrites(c, true);
        } else {
            plantagwrites(c, false);
        }
    }

    // Step 7, compilation name.
    if (skippedcompilation) {
        f2.realartist = c.dirartist;
        f2.curdirname = name;
        c.dirartist = c.vaname;
    }

    // Step 8, proposed name.
    c.yearsuffix = c.diryear.empty() ? u"" : u" (" + c.diryear + u")";
    c.proposedname = c.dirartist + u" - " + c.diralbum + c.yearsuffix;
    f2.savedsuffix = c.yearsuffix;
    cleanname(c, c.proposedname);
    if (skippedcompilation) {
        f2.altdirname = f2.realartist + u" - " + c.diralbum + c.yearsuffix;
        cleanname(c, f2.altdirname);
    }
    f2.cmunified = false;

    // Step 9, rename confirmation.
    if (!c.accepted && !c.onlytitles && c.problemcount > 0 && c.proposedname != name) {
        if (c.form1.CheckBox3.checked) {
            c.keepname = true;
        } else if (!c.tagsincomplete) {
            confirmrename(c, skippedcompilation);
            if (c.stop) return;
        }
    }

    // Step 10, folder rename.
    c.newdirname = c.dirartist + u" - " + c.diralbum;
    if (!c.diryear.empty()) c.newdirname += u" (" + c.diryear + u")";
    cleanname(c, c.newdirname);
    if (c.newdirname != name && !c.keepname) {
        c.dirok = false;
        addline(c, u"  > Переименовать " + name + u" В " + c.newdirname,
                u"  > Переименовать " + platform::nametext(name) + u" В " +
                    platform::nametext(c.newdirname));
        if (c.form1.CheckBox4.checked)
            addop(c.plannedops, rename_dir, true, c.curdir->item,
                  parentdir(c.curdir->item) + c.newdirname, u"", u"", u"", u"", linecount(c) - 1,
                  false, u"", u"-1", u"");
    }

    // Step 11, genre.
    if (!c.declined && !c.itunesplanned) {
        if (!checkgenre(c)) c.dirok = false;
    }

    // Step 12, track numbers.
    bool all3 = false;
    const bool complete = trnocomplete(c, all3);
    if (!complete && !all3) {
        addline(c, u"  Номера треков отсутствуют или неверны (двойной щелчок на пути к папке, "
                   u"чтобы посмотреть подробности)");
        if (!fixtrnos(c)) addline(c, u" -- Не удалось исправить номера треков по именам файлов");
        c.dirok = false;
    }

    // Step 13, file numbering.
    if (complete && !all3 && c.cfg.numbering && !filescomplete(c)) {
        addline(c, u"  Похоже, файлы не пронумерованы. Будет исправлено");
        numberfiles(c);
    }
}

void cmprocess(context& c) {
    forms::TForm2& f2 = *c.form2;
    forms::TForm3& f3 = *c.form3;
    if (f2.Button6.caption != u"НЕ компиляция") return;
    c.host.hide(f2);
    f3.Button4.visible = false;
    const int r = askunify(c);
    f3.Button4.visible = true;
    if (r == forms::mrOk) {
        f2.cmunified = true;
        f2.altdirname = f3.ComboBox1.text + u" - " + f3.ComboBox2.text + f2.savedsuffix;
    }
    if (f2.altdirname == f2.curdirname) {
        f2.modalresult = forms::mrCancel;
        return;
    }
    f2.settext(f2.Edit1, r == forms::mrOk ? f3.ComboBox1.text : f2.realartist);
    f2.Button6.visible = false;
    f2.Label5.caption = cut45(platform::nametext(f2.curdirname)) + u": найдены расхождения в тегах";
    c.host.show(f2);
}

} // namespace checker
