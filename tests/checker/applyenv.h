// Apply over whole runs: a tree of real MP3 files is run with the dialogs
// answered, operations are switched off as the report list would, Apply
// carries out the rest, and the disk is read back by our reader and by
// mutagen.
#pragma once

#include <map>
#include <optional>

#include "apply.h"
#include "id3v2.h"
#include "runenv.h"
#include "tform4.h"

namespace applytest {

using namespace runtest;
using lines8 = std::vector<std::string>;

// The end lines of Apply.
inline const std::string done = "Все выполнено";
inline const std::string someerrors = "Произошли некоторые ошибки";

// The progress window and the main window as one pump saw them.
struct snapshot {
    int batch = -1;
    std::string label;
    int file = -1;
    bool progressvisible = false;
    bool mainenabled = true;
    std::string button1;
    bool button1enabled = true;
    bool button3enabled = true;
    bool checkbox5visible = true;
};

// Tags as a reader gives them back.
struct readtags {
    std::string artist, title, album, year, trno, genre, tcmp;
    friend bool operator==(const readtags&, const readtags&) = default;
    friend std::ostream& operator<<(std::ostream& o, const readtags& t) {
        return o << "[" << t.artist << " | " << t.title << " | " << t.album << " | " << t.year
                 << " | " << t.trno << " | " << t.genre << " | " << t.tcmp << "]";
    }
};

inline readtags ourreader(const std::u16string& path) {
    std::u16string a, t, al, y, tr, g, cm;
    bool pic = false;
    id3v2::readtags(path, a, t, al, y, tr, g, cm, pic, false);
    return {u8(a), u8(t), u8(al), u8(y), u8(tr), u8(g), u8(cm)};
}

// mutagen's view of the ID3v2 tags of the files: version and text frames, as
// stored (no translation to version 2.4). A file without a tag is absent.
struct mutagentag {
    int major = 0;
    std::map<std::string, std::string> frames;
};
inline std::map<std::string, mutagentag> mutagen(const std::vector<std::u16string>& paths) {
    testutil::tempdir t;
    nlohmann::json todo = nlohmann::json::array();
    for (const auto& p : paths) todo.push_back(u8(p));
    testutil::writefile(t.path() / "todo.json", todo.dump());
    testutil::writefile(t.path() / "read.py", R"(
import json, sys
import mutagen.id3 as id3
out = {}
for p in json.load(open(sys.argv[1], encoding='utf-8')):
    try:
        tag = id3.ID3(p, translate=False, load_v1=False)
    except id3.ID3NoHeaderError:
        continue
    out[p] = {'major': tag.version[1],
              'frames': {k: str(v) for k, v in tag.items() if k.startswith('T')}}
json.dump(out, open(sys.argv[2], 'w', encoding='utf-8'))
)");
    const std::string cmd = "/usr/bin/python3 '" + (t.path() / "read.py").string() + "' '" +
                            (t.path() / "todo.json").string() + "' '" +
                            (t.path() / "out.json").string() + "'";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("mutagen failed");
    const auto out = nlohmann::json::parse(testutil::readfile(t.path() / "out.json"));
    std::map<std::string, mutagentag> r;
    for (const auto& [path, tag] : out.items()) {
        mutagentag m;
        m.major = tag["major"].get<int>();
        for (const auto& [id, text] : tag["frames"].items()) m.frames[id] = text.get<std::string>();
        r[path] = m;
    }
    return r;
}

struct applyenv : runenv {
    std::vector<snapshot> pumped; // one per pump while the progress window is open
    std::size_t before = 0;       // report lines before Apply

    applyenv() {
        host.onpump = [this] {
            if (!c.form4) return;
            const forms::TForm4& w = *c.form4;
            pumped.push_back({w.ProgressBar1.position, u8(w.Label1.caption),
                              w.ProgressBar2.position, w.visible, form1.enabled,
                              u8(form1.Button1.caption), form1.Button1.enabled,
                              form1.Button3.enabled, form1.CheckBox5.visible});
        };
    }

    // Every unify dialog answered "Да", with the album typed first when given.
    void unifyall(std::u16string album = {}) {
        host.fallback = [album](forms::form& f) {
            auto& u = dynamic_cast<forms::TForm3&>(f);
            if (!album.empty()) f.settext(u.ComboBox2, album);
            f.click(u.Button1);
        };
    }

    // An MP3 file of at least `bytes` bytes: the encoder's frames repeated.
    void bigmp3(std::u16string_view rel, tags tg, std::size_t bytes) {
        std::string audio;
        while (audio.size() < bytes) audio += basemp3();
        const fs::path p = native(rel);
        fs::create_directories(p.parent_path());
        testutil::writefile(p, audio);
        pending.emplace_back(p, std::move(tg));
    }

    // As the report list's switch does: every operation of the line.
    void switchoff(std::int32_t line) {
        int n = 0;
        for (checker::oplist& op : c.plannedops)
            if (op.listindex == line) op.perform = false, ++n;
        ASSERT_GT(n, 0) << "no operation on line " << line;
    }
    // The line of the first operation that touches a path below rel.
    std::int32_t lineunder(std::u16string_view rel, checker::opcodeset kind) const {
        const std::u16string p = path(rel) + u"/";
        for (const checker::oplist& op : c.plannedops)
            if (op.opcode == kind && (op.pathname + u"/").starts_with(p)) return op.listindex;
        ADD_FAILURE() << "no operation below " << u8(p);
        return -1;
    }

    void apply() {
        before = lines().size();
        checker::applychanges(c);
    }
    // The lines Apply wrote.
    lines8 applied() const {
        const lines8 a = all();
        return lines8(a.begin() + static_cast<std::ptrdiff_t>(before), a.end());
    }

    bool exists(std::u16string_view rel) const { return fs::exists(native(rel)); }
    std::string bytes(std::u16string_view rel) const { return testutil::readfile(native(rel)); }
    void stamp(std::u16string_view rel, std::int64_t sec) {
        ASSERT_TRUE(platform::setfiletime(path(rel), {sec, 123456789}));
    }
    platform::filetime mtime(std::u16string_view rel) const {
        platform::filetime t;
        EXPECT_TRUE(platform::getfiletime(path(rel), t)) << u8(rel);
        return t;
    }

    // The controls as Apply leaves them.
    void expectidle() const {
        EXPECT_TRUE(form1.enabled);
        EXPECT_TRUE(form1.Button1.enabled);
        EXPECT_EQ(form1.Button1.caption, u"Пуск");
        EXPECT_FALSE(form1.Button3.enabled);
        EXPECT_FALSE(form1.CheckBox5.visible);
        EXPECT_EQ(form1.ListView1.showrow, static_cast<int>(lines().size()) - 1);
        EXPECT_EQ(c.form4, nullptr);
        EXPECT_TRUE(c.plannedops.empty());
        // The progress window was shown once and closed.
        std::vector<std::u16string> shown;
        for (const auto& l : host.log)
            if (l.ends_with(u"Form4")) shown.push_back(l);
        EXPECT_EQ(shown, (std::vector<std::u16string>{u"show Form4", u"hide Form4"}));
    }
};

// The file's audio (the encoder's bytes) stands whole between the new
// ID3v2.3 tag and a 128-byte ID3v1 tag.
inline void expectaudio(const std::string& file, const std::string& audio) {
    ASSERT_GT(file.size(), audio.size() + 138);
    ASSERT_EQ(file.substr(0, 4), std::string("ID3\x03", 4));
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(file[i]) & 0x7f; };
    const std::size_t tagend = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
    EXPECT_EQ(file.size(), tagend + audio.size() + 128);
    EXPECT_TRUE(file.compare(tagend, audio.size(), audio) == 0) << "audio changed";
    EXPECT_EQ(file.substr(file.size() - 128, 3), "TAG");
}

} // namespace applytest
