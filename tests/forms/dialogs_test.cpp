// The run dialogs as a user meets them: the year filter, revert and swap, the
// help key and Ctrl+A, the unify dialog's enable rules.
#include <gtest/gtest.h>

#include "help.h"
#include "platform.h"
#include "scriptedhost.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"

using namespace forms;

namespace {

void typetext(form& f, edit& e, std::u16string_view s) {
    for (char16_t c : s) f.type(e, c);
}

// A key that reaches a control's own handler was not consumed by the form.
struct keyspy {
    explicit keyspy(control& c) {
        c.onkeydown = [this](std::uint16_t& key, unsigned) { seen.push_back(key); };
    }
    std::vector<std::uint16_t> seen;
};

// The missing-data role, as the folder run dresses it.
void dressmissing(TForm2& f, std::u16string artist, std::u16string album, std::u16string year) {
    f.Edit1.text = std::move(artist);
    f.Edit2.text = std::move(album);
    f.Edit3.text = std::move(year);
    f.Button1.caption = u"Ok";
    f.Button2.visible = false;
    f.Button7.visible = false;
    f.keepedits();
}

} // namespace

TEST(Form2, YearFieldTakesAtMostFourDigitsFromTheKeyboard) {
    TForm2 f;
    typetext(f, f.Edit3, u"19999");
    EXPECT_EQ(f.Edit3.text, u"1999");
    // Backspace always passes, and frees room for one more digit.
    f.type(f.Edit3, u'\b');
    f.type(f.Edit3, u'8');
    EXPECT_EQ(f.Edit3.text, u"1998");

    f.Edit3.text.clear();
    typetext(f, f.Edit3, u"2a0 b-0.1x");
    EXPECT_EQ(f.Edit3.text, u"2001");
    // Only ASCII digits count as digits.
    f.Edit3.text.clear();
    typetext(f, f.Edit3, u"\u0663\uFF11\u00B2");
    EXPECT_EQ(f.Edit3.text, u"");
    f.type(f.Edit3, u'\b'); // on an empty field: nothing to delete, no fault
    EXPECT_EQ(f.Edit3.text, u"");

    // Pasted text is not filtered; typing into an over-long field still is,
    // except for Backspace.
    f.settext(f.Edit3, u"20011");
    f.type(f.Edit3, u'2');
    EXPECT_EQ(f.Edit3.text, u"20011");
    f.type(f.Edit3, u'\b');
    f.type(f.Edit3, u'\b');
    EXPECT_EQ(f.Edit3.text, u"200");

    // The artist and album fields take anything.
    typetext(f, f.Edit1, u"Ёлка 2000!");
    EXPECT_EQ(f.Edit1.text, u"Ёлка 2000!");
}

TEST(Form2, AFullYearFieldRefusesDigitsEvenOverASelection) {
    TForm2 f;
    f.Edit3.text = u"1999";
    // Two digits selected: typing would replace them, but the field is full.
    f.Edit3.selstart = 2;
    f.Edit3.sellength = 2;
    f.type(f.Edit3, u'0');
    EXPECT_EQ(f.Edit3.text, u"1999");
    EXPECT_FALSE(f.Button7.visible);
    // Backspace deletes the selection, then digits go in at the caret.
    f.type(f.Edit3, u'\b');
    EXPECT_EQ(f.Edit3.text, u"19");
    f.type(f.Edit3, u'8');
    f.type(f.Edit3, u'4');
    EXPECT_EQ(f.Edit3.text, u"1984");
    EXPECT_TRUE(f.Button7.visible);
}

TEST(Form2, RevertRestoresTheTextsOfTheShowingAndDisappears) {
    TForm1 main;
    TForm2 f(&main);
    scriptedhost h;
    f.owner = &h;
    dressmissing(f, u"Artist", u"", u"19");

    h.expect([](form& ff) {
        auto& d = static_cast<TForm2&>(ff);
        EXPECT_FALSE(d.Button7.visible);
        typetext(d, d.Edit1, u" X");
        EXPECT_TRUE(d.Button7.visible);
        typetext(d, d.Edit2, u"Album");
        d.type(d.Edit3, u'\b');
        d.settext(d.Edit3, u"2020");
        d.click(d.Button8);
        d.click(d.Button7);
        EXPECT_EQ(d.Edit1.text, u"Artist");
        EXPECT_EQ(d.Edit2.text, u"");
        EXPECT_EQ(d.Edit3.text, u"19");
        EXPECT_FALSE(d.Button7.visible);
        EXPECT_EQ(d.modalresult, mrNone); // "Вернуть" does not close the dialog
        // Editing again after a revert brings the button back.
        d.type(d.Edit3, u'9');
        EXPECT_TRUE(d.Button7.visible);
        d.click(d.Button1);
    });
    EXPECT_EQ(h.showmodal(f), mrOk);
    EXPECT_EQ(f.Edit3.text, u"199");
    // The dialog repainted the main window behind it when it appeared.
    EXPECT_EQ(h.repaints, 1);
}

TEST(Form2, SwapExchangesArtistAndAlbum) {
    TForm2 f;
    dressmissing(f, u"Greatest Hits", u"Queen", u"1981");
    f.click(f.Button8);
    EXPECT_EQ(f.Edit1.text, u"Queen");
    EXPECT_EQ(f.Edit2.text, u"Greatest Hits");
    EXPECT_EQ(f.Edit3.text, u"1981");
    EXPECT_TRUE(f.Button7.visible);
    EXPECT_EQ(f.modalresult, mrNone);
    f.click(f.Button8);
    // Swapping with an empty field moves the text across.
    f.Edit2.text.clear();
    f.click(f.Button8);
    EXPECT_EQ(f.Edit1.text, u"");
    EXPECT_EQ(f.Edit2.text, u"Greatest Hits");
    f.click(f.Button7);
    EXPECT_EQ(f.Edit1.text, u"Greatest Hits");
    EXPECT_EQ(f.Edit2.text, u"Queen");
}

TEST(Form2, KeepEditsSavesWhatRevertRestores) {
    TForm2 f;
    dressmissing(f, u"A", u"B", u"2000");
    // The next caller dresses anew; revert goes back to the newest dressing.
    dressmissing(f, u"Current name", u"Proposed name", u"2000");
    EXPECT_EQ(f.savedartist + f.savedalbum + f.savedyear, u"Current nameProposed name2000");
    f.settext(f.Edit2, u"Other");
    f.click(f.Button7);
    EXPECT_EQ(f.Edit2.text, u"Proposed name");
}

TEST(Form2, HelpKeyOpensTagMissingEverywhereButTheSwapButton) {
    TForm2 f;
    scriptedhost h;
    f.owner = &h;
    for (control* c : std::vector<control*>{nullptr, &f.Edit1, &f.Edit3, &f.Button1, &f.Button5})
        f.keydown(c, vkF1);
    ASSERT_EQ(h.urls.size(), 5u);
    for (const auto& u : h.urls) EXPECT_EQ(u, helpurl(u"tagmissing"));
    f.keydown(&f.Button8, vkF1);
    f.keydown(&f.Edit1, vkReturn);
    f.keydown(&f.Edit1, vkF1 + 1);
    EXPECT_EQ(h.urls.size(), 5u);
}

TEST(Form2, CtrlAIsConsumedEverywhereAndSelectsOnlyInTheFields) {
    TForm2 f;
    keyspy edit2(f.Edit2), button1(f.Button1), button8(f.Button8);
    f.keydown(&f.Edit2, vkA, ssCtrl);
    EXPECT_TRUE(f.Edit2.selectallrequest);
    EXPECT_TRUE(edit2.seen.empty());

    f.keydown(&f.Button1, vkA, ssCtrl | ssShift);
    EXPECT_TRUE(button1.seen.empty());
    f.keydown(nullptr, vkA, ssCtrl);
    for (control* c : f.controls()) {
        EXPECT_EQ(c->selectallrequest, c == &f.Edit2) << platform::utf16to8(c->name);
    }

    // A plain "A" is typing, not a command.
    f.keydown(&f.Edit2, vkA);
    ASSERT_EQ(edit2.seen.size(), 1u);
    // The swap button has no key handler: Ctrl+A passes to it.
    f.keydown(&f.Button8, vkA, ssCtrl);
    EXPECT_EQ(button8.seen, std::vector<std::uint16_t>{vkA});
    EXPECT_FALSE(f.Button8.selectallrequest);
}

TEST(Form2, ShowsItsQuestionsButtonsAndHints) {
    TForm1 main;
    TForm2 f(&main);
    EXPECT_EQ(f.caption, u"Требуется вмешательство пользователя");
    EXPECT_EQ(f.opacity, 220);
    EXPECT_FALSE(f.closebox); // no caption-bar buttons: an answer is required
    EXPECT_EQ(f.Label5.caption, u"Нет альбома и/или исполнителя");
    EXPECT_TRUE(f.Label5.bold && f.Label1.bold);
    EXPECT_EQ(f.Label2.caption + f.Label3.caption + f.Label4.caption, u"ИсполнительАльбомГод");
    // Hidden until a role or an edit calls for them; bound by the layer above.
    EXPECT_FALSE(f.Button6.visible || f.Button7.visible || f.cmunified);
    EXPECT_EQ(f.Button3.modalresult + f.Button6.modalresult, mrNone);

    scriptedhost h;
    f.owner = &h;
    // The buttons a user clicks, and what each one answers.
    struct expected {
        button& b;
        std::u16string caption, hint;
        int result;
    };
    for (const expected& e : std::vector<expected>{
             {f.Button1, u"Да", u"", mrOk},
             {f.Button2, u"Нет", u"", mrCancel},
             {f.Button4, u">> Пропуск", u"Пропустить обработку этой папки", mrIgnore},
             {f.Button5, u"Стоп", u"Прервать обработку", mrAbort}}) {
        EXPECT_EQ(e.b.caption, e.caption);
        EXPECT_EQ(e.b.hint, e.hint);
        EXPECT_EQ(e.b.showhint, !e.hint.empty());
        EXPECT_TRUE(e.b.visible && e.b.enabled);
        h.press(e.b.name);
        EXPECT_EQ(h.showmodal(f), e.result) << platform::utf16to8(e.b.name);
    }
    for (const expected& e : std::vector<expected>{
             {f.Button3, u"Discogs", u"Search release online", 0},
             {f.Button8, f.Button8.caption, u"Поменять местами исполнителя и альбом", 0},
             {f.Button7, u"Вернуть", u"Восстановить первоначальные значения полей", 0},
             {f.Button6, u"НЕ компиляция", u"Открыть диалог коррекции расхождений", 0}})
        EXPECT_EQ(e.b.caption + u"|" + e.b.hint, e.caption + u"|" + e.hint);
}

// ---- the unify-tags dialog

TEST(Form3, CheckBoxesEnableTheirListsAndYes) {
    TForm3 f;
    scriptedhost h;
    f.owner = &h;
    EXPECT_TRUE(f.CheckBox1.checked && f.CheckBox2.checked);
    EXPECT_TRUE(f.ComboBox1.enabled && f.ComboBox2.enabled && f.Button1.enabled);

    f.click(f.CheckBox1);
    EXPECT_FALSE(f.ComboBox1.enabled);
    EXPECT_TRUE(f.ComboBox2.enabled);
    EXPECT_TRUE(f.Button1.enabled);
    f.click(f.CheckBox2);
    EXPECT_FALSE(f.ComboBox2.enabled);
    EXPECT_FALSE(f.Button1.enabled);
    // "Да" cannot be chosen while nothing is to be unified.
    f.click(f.Button1);
    EXPECT_EQ(f.modalresult, mrNone);

    f.click(f.CheckBox2);
    EXPECT_TRUE(f.ComboBox2.enabled);
    EXPECT_FALSE(f.ComboBox1.enabled);
    EXPECT_TRUE(f.Button1.enabled);
    f.click(f.CheckBox1);
    f.click(f.CheckBox2);
    EXPECT_TRUE(f.ComboBox1.enabled && f.Button1.enabled);
    EXPECT_FALSE(f.ComboBox2.enabled);

    h.expect([](form& ff) {
        auto& d = static_cast<TForm3&>(ff);
        d.settext(d.ComboBox1, u"Various");
        d.click(d.Button1);
    });
    EXPECT_EQ(h.showmodal(f), mrOk);
    EXPECT_EQ(f.ComboBox1.text, u"Various");
}

TEST(Form3, SettingABoxFromTheCheckerKeepsTheRules) {
    TForm3 f;
    f.setchecked(f.CheckBox1, false);
    f.setchecked(f.CheckBox2, false);
    EXPECT_FALSE(f.ComboBox1.enabled || f.ComboBox2.enabled || f.Button1.enabled);
    f.setchecked(f.CheckBox2, true);
    EXPECT_TRUE(f.ComboBox2.enabled && f.Button1.enabled);
    // Unchanged state: no click, so a caller's own change stays.
    f.ComboBox2.enabled = false;
    f.setchecked(f.CheckBox2, true);
    EXPECT_FALSE(f.ComboBox2.enabled);
}

TEST(Form3, HelpKeyOpensDiscrepancyEverywhereButPersonalCompilation) {
    TForm3 f;
    scriptedhost h;
    f.owner = &h;
    for (control* c : f.controls()) f.keydown(c, vkF1);
    f.keydown(nullptr, vkF1);
    // Every control but Button4, and the dialog itself.
    EXPECT_EQ(h.urls.size(), f.controls().size());
    for (const auto& u : h.urls) EXPECT_EQ(u, helpurl(u"discrepancy"));
    h.urls.clear();
    f.keydown(&f.Button4, vkF1);
    EXPECT_TRUE(h.urls.empty());
}

TEST(Form3, CtrlAIsConsumedEverywhereAndSelectsOnlyInTheLists) {
    TForm3 f;
    keyspy list(f.ComboBox1), box(f.CheckBox1), personal(f.Button4);
    f.keydown(&f.ComboBox1, vkA, ssCtrl);
    f.keydown(&f.CheckBox1, vkA, ssCtrl);
    EXPECT_TRUE(f.ComboBox1.selectallrequest);
    EXPECT_FALSE(f.ComboBox2.selectallrequest || f.CheckBox1.selectallrequest);
    EXPECT_TRUE(list.seen.empty() && box.seen.empty());
    f.keydown(&f.ComboBox2, vkA, ssCtrl);
    EXPECT_TRUE(f.ComboBox2.selectallrequest);
    f.keydown(&f.Button4, vkA, ssCtrl);
    EXPECT_EQ(personal.seen, std::vector<std::uint16_t>{vkA});
    f.keydown(&f.ComboBox1, vkA);
    EXPECT_EQ(list.seen, std::vector<std::uint16_t>{vkA});
}

TEST(Form3, ShowsItsChoicesAndHints) {
    TForm1 main;
    TForm3 f(&main);
    scriptedhost h;
    f.owner = &h;
    EXPECT_EQ(f.caption, u"Требуется вмешательство пользователя");
    EXPECT_EQ(f.opacity, 220);
    EXPECT_TRUE(f.Label1.bold);
    // A closed modal window answers mrCancel, the result of "Нет" below.
    EXPECT_TRUE(f.closebox);
    EXPECT_EQ(f.CheckBox1.caption + f.CheckBox2.caption, u"По исполнителюПо альбому");
    for (auto [box, field] : {std::pair{&f.CheckBox1, u"Исполнитель"}, {&f.CheckBox2, u"Альбом"}})
        EXPECT_EQ(box->hint, u"Выберите, чтобы сделать одинаковым поле \"" + std::u16string(field) +
                                 u"\" во всех треках папки");
    EXPECT_TRUE(f.CheckBox1.showhint && f.CheckBox2.showhint);
    EXPECT_TRUE(f.CheckBox1.captionleft && f.CheckBox2.captionleft);
    EXPECT_TRUE(f.ComboBox1.editable && f.ComboBox2.editable);
    EXPECT_EQ(f.Button3.hint, u"Прервать обработку");
    struct expected {
        button& b;
        std::u16string caption;
        int result;
    };
    for (const expected& e : std::vector<expected>{{f.Button1, u"Да", mrOk},
                                                   {f.Button2, u"Нет", mrCancel},
                                                   {f.Button3, u"Стоп", mrAbort},
                                                   {f.Button4, u"Личная компиляция", mrAll}}) {
        EXPECT_EQ(e.b.caption, e.caption);
        h.press(e.b.name);
        EXPECT_EQ(h.showmodal(f), e.result) << platform::utf16to8(e.caption);
    }
    // Every showing repainted the main window behind the dialog.
    EXPECT_EQ(h.repaints, 4);
}
