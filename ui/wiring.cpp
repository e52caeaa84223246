#include "wiring.h"

#include "decisions.h"
#include "discogs.h"

namespace ui {

void discogs(forms::host& host, forms::TForm2& form2, forms::TForm6& form6, forms::TForm7& form7) {
    std::u16string artist = form2.Edit1.text;
    std::u16string album = form2.Edit2.text;
    std::u16string year = form2.Edit3.text;
    if (!lookup::discogssearch(host, form6, form7, artist, album, year)) return;
    if (form2.Edit1.enabled) form2.settext(form2.Edit1, artist);
    if (form2.Edit2.enabled) form2.settext(form2.Edit2, album);
    if (form2.Edit3.enabled) form2.settext(form2.Edit3, year);
}

void bindrundialogs(checker::context& c, forms::TForm2& form2, forms::TForm3& form3,
                    forms::TForm6& form6, forms::TForm7& form7) {
    c.form2 = &form2;
    c.form3 = &form3;
    form2.Button6.onclick = [&c] { checker::cmprocess(c); };
    forms::host& host = c.host;
    form2.Button3.onclick = [&host, &form2, &form6, &form7] { discogs(host, form2, form6, form7); };
}

} // namespace ui
