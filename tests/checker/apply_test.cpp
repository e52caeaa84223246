// Apply after a run of real MP3 files, in a child that is user 65534 under root
// so a locked folder fails its writes: pass order, deeper folders first, no
// rename replacing, failure lines, progress window, root stored, the disk.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "apply.h"
#include "env.h"
#include "id3v2.h"
#include "names.h"
#include "tform4.h"

using namespace checkertest;

namespace {

// A run over the tempdir's "r" that may rename folders.
void renaming(env& e) {
    e.form1.CheckBox3.checked = false;
    e.form1.Label1.caption = e.t.u16(u"r");
}

// A name as another system wrote it, in windows-1251 bytes.
std::u16string cp(const char* s) {
    return testutil::legacyname(s);
}

} // namespace

TEST(Apply, PassesFailuresProgressAndTheDisk) {
    env e;
    checker::loadcfg(e.c);
    e.form1.CheckBox3.checked = false;
    e.c.cfg.numbering = e.c.cfg.bkpplaylists = 1;
    e.form1.Label1.caption = e.t.u16(u"r");
    e.mp3(u"r/01.mp3", u"A|T|B|2000|1");
    e.mp3(u"r/f/x.mp3", u"P|Tx|Q|2001|1|Rock");
    e.mp3(u"r/f/z.mp3", u"P|Tz|R|2001|2/9|Rock", 500); // several blocks: the file bar moves
    e.mp3(u"r/locked/01 x.mp3", u"P|Tx|Q|2001|1");
    e.mp3(u"r/locked/02 y.mp3", u"P|Ty|R|2001|2");
    e.mp3(u"r/N - M (2003)/Intro.mp3", u"N|Intro|M|2003|1");
    e.mp3(u"r/N - M (2003)/Song.mp3", u"N|Song|M|2003|2");
    e.mp3(u"r/Old/01.mp3", u"P|Tp|Q|2001|1");
    e.mp3(u"r/Old/Старый/01.mp3", u"C|Tc|D|2002|1");
    for (auto f : {u"r/Old/list.m3u", u"r/Old/Старый/child.m3u", u"r/P - Typed (2001)/keep"})
        e.file(f);
    e.host.fallback = [&e](forms::form& f) { e.act(f, "ComboBox2=Typed;Button1"); };
    e.run();
    // Since the run: a file gone, a numbered name taken, a line switched off.
    fs::remove(e.native(u"r/locked/02 y.mp3"));
    e.file(u"r/N - M (2003)/01 Intro.mp3", "another");
    for (checker::oplist& o : e.c.plannedops) o.perform &= o.pathname != e.t.u16(u"r/Old/list.m3u");
    const std::string locked = testutil::readfile(e.native(u"r/locked/01 x.mp3"));

    const bool root = geteuid() == 0; // then everything but the locked folder becomes nobody's
    const std::string own = "chown -R 65534:65534 '" + e.t.path().string() + "' && chown 0:0 '" +
                            e.native(u"r/locked").string() + "'";
    ASSERT_EQ(root ? std::system(own.c_str()) : chmod(e.native(u"r/locked").c_str(), 0555), 0);
    const fs::path out = e.t.path() / "out";
    if (const pid_t pid = fork(); pid == 0) {
        if (root && (setgroups(0, nullptr) || setgid(65534) || setuid(65534))) _exit(77);
        // Each new state of the progress window at a pump ("!" while the main window is
        // enabled), Apply's lines, the file bar over z.mp3, the main window after Apply.
        std::string s;
        std::vector<int> bar;
        e.host.onpump = [&] {
            const auto& w = *e.c.form4;
            std::string now = std::to_string(w.ProgressBar1.position) + " " + u8(w.Label1.caption);
            now += e.form1.enabled || !w.visible ? "!" : "";
            if (!s.ends_with(now + "\n")) s += now + "\n";
            if (now.ends_with("(z.mp3)")) bar.push_back(w.ProgressBar2.position);
        };
        const std::size_t before = e.form1.ListView1.items.size();
        checker::applychanges(e.c);
        s += e.report(before) + "\nbar " + std::to_string(bar.front()) + " to " +
             std::to_string(bar.back()) +
             (bar.size() > 3 && std::is_sorted(bar.begin(), bar.end()) ? "\n" : " !\n");
        for (bool b : {e.form1.Button1.enabled, e.form1.enabled, e.form1.Button3.enabled,
                       e.form1.CheckBox5.visible, e.c.plannedops.empty()})
            s += b ? "1" : "0";
        testutil::writefile(out, s + " " + u8(e.form1.Button1.caption) + " " +
                                     e.tilde(e.form1.Label1.caption));
        _exit(0);
    } else {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become 65534";
    }
    EXPECT_EQ(
        testutil::readfile(out),
        "25 Файл 1 из 4 (x.mp3)\n50 Файл 2 из 4 (z.mp3)\nВношу изменения|  x.mp3: (пере)запись "
        "id3-тегов -> [P :: Typed :: Tx :: 2001]|  z.mp3: (пере)запись id3-тегов -> [P :: Typed :: "
        "Tz :: 2001]|  01 x.mp3: (пере)запись id3-тегов -> [P :: Typed :: Tx :: 2001]|не удалось "
        "записать тег|  02 y.mp3: (пере)запись id3-тегов -> [P :: Typed :: Ty :: 2001]|не удалось "
        "записать тег|  f: добавление номеров к именам файлов|  N - M (2003): добавление номеров к "
        "именам файлов|не удалось переименовать, код ошибки 17|  переименование плейлиста: "
        "~/r/Old/Старый/child.m3u|  переименование ~/r/Old/Старый В ~/r/Old/C - D (2002)|  "
        "переименование ~/r/f В ~/r/P - Typed (2001)|не удалось переименовать, код ошибки 17|  "
        "переименование ~/r/locked В ~/r/P - Typed (2001)|не удалось переименовать, код ошибки 17| "
        " переименование ~/r/Old В ~/r/P - Q (2001)|  переименование ~/r В ~/A - B "
        "(2000)|Произошли некоторые ошибки\nbar 0 to 100\n11001 Пуск ~/A - B (2000)");
    checker::loadcfg(e.c); // the renamed root was stored
    EXPECT_EQ(checker::rootdirtext(e.c.cfg), e.t.u16(u"A - B (2000)"));

    // The rewritten files: the tags as mutagen reads them, the audio whole
    // before the ID3v1 tag; the locked ones as they were.
    const std::u16string dir = u"A - B (2000)/f/";
    const auto tag = mp3fixture::mutagenread(e.native(dir + u"02 z.mp3"));
    std::string frames = std::to_string(tag.major);
    for (const auto& [id, text] : tag.frames) frames += " " + id + "=" + text;
    EXPECT_EQ(frames, "3 TALB=Typed TCON=Rock TIT2=Tz TPE1=P TRCK=2/9 TYER=2001");
    for (auto [file, copies] : {std::pair{u"01 x.mp3", 1}, {u"02 z.mp3", 500}}) {
        std::string audio, now = testutil::readfile(e.native(dir + file));
        while (copies-- > 0) audio += mp3fixture::basemp3();
        EXPECT_EQ(now.substr(now.size() - 128 - audio.size(), audio.size()), audio) << u8(file);
    }
    EXPECT_EQ(testutil::readfile(e.native(u"A - B (2000)/locked/01 x.mp3")), locked);
    // Nothing replaced, nothing left behind.
    std::set<std::string> files;
    for (const auto& f : fs::recursive_directory_iterator(e.native(u"A - B (2000)")))
        if (f.is_regular_file()) files.insert(fs::relative(f.path(), e.native(u"A - B (2000)")));
    std::string listing;
    for (const auto& f : files) listing += f + "; ";
    EXPECT_EQ(listing, "01.mp3; N - M (2003)/01 Intro.mp3; N - M (2003)/02 Song.mp3; N - M "
                       "(2003)/Intro.mp3; P - Q (2001)/01.mp3; P - Q (2001)/C - D (2002)/01.mp3; P "
                       "- Q (2001)/C - D (2002)/child.m3u.bkp; P - Q (2001)/list.m3u; P - Typed "
                       "(2001)/keep; f/01 x.mp3; f/02 z.mp3; locked/01 x.mp3; ");
}

// Names another system wrote in windows-1251 bytes become tag text read
// through the code page (the missing-data dialog's proposal, a title from a
// file name with the artist cut, a personal compilation's album) while every
// path keeps its bytes; a proposed folder name never begins with a dot, the
// tags keep theirs.
TEST(Apply, LegacyNamesGiveTagTextAndNoProposedNameIsHidden) {
    env e;
    renaming(e);
    const std::u16string kino = u"r/" + cp("Кино - Группа крови (1988)") + u"/",
                         star = u"r/" + cp("Кино - Звезда") + u"/",
                         mix = u"r/" + cp("Сборник") + u"/", song = cp("01 - Кино - Песня.mp3");
    e.mp3(kino + song, u"Кино||Группа крови|1988|1");
    e.mp3(star + u"01.mp3", u"|Т1|||1");
    e.mp3(mix + u"a.mp3", u"X|Ta|Hits|2000|1");
    e.mp3(mix + cp("Песня.mp3"), u"Y||Best|2000|2");
    e.mp3(u"r/x/01 - Hold On Loosely.mp3", u".38 Special||Wild-Eyed Southern Boys|1981|1");
    e.mp3(u"r/y/01.mp3", u"..|T|..|2000|1");
    e.host.expect([&](forms::form& f) { e.act(f, "Button4"); }); // a personal compilation
    e.host.expect([&](forms::form& f) {
        EXPECT_EQ(u8(e.form2.Edit1.text + u"|" + e.form2.Edit2.text), "Кино|Звезда");
        e.act(f, "Button1");
    });
    e.run();
    std::string planned;
    for (const checker::oplist& o : e.c.plannedops)
        planned += u8(o.opcode == checker::write_tag ? o.artist + u"|" + o.title + u"|" + o.album
                                                     : checker::lastdir(o.newname)) +
                   "; ";
    EXPECT_EQ(planned, "38 Special - Wild-Eyed Southern Boys (1981); .38 Special|01 - Hold On "
                       "Loosely|Wild-Eyed Southern Boys; - .. (2000); Кино - Группа крови (1988); "
                       "Кино|01 - Песня|Группа крови; Кино - Звезда; Кино|Т1|Звезда; X|X - "
                       "Ta|Сборник; Y|Y - Песня|Сборник; ");
    checker::applychanges(e.c);
    EXPECT_EQ(u8(e.form1.ListView1.items.back()), "Все выполнено");

    // The written tags as mutagen reads them; the ID3v1 title in the code page; our reader.
    const std::u16string renamed = u"r/Кино - Группа крови (1988)/" + song;
    const std::vector<fs::path> files{
        e.native(renamed), e.native(u"r/Кино - Звезда/01.mp3"), e.native(mix + cp("Песня.mp3")),
        e.native(u"r/38 Special - Wild-Eyed Southern Boys (1981)/01 - Hold On Loosely.mp3")};
    auto tags = mp3fixture::mutagenread(files);
    std::string got;
    for (const fs::path& f : files) {
        auto& t = tags[f.string()].frames;
        got += t["TPE1"] + "|" + t["TIT2"] + "|" + t["TALB"] + "; ";
    }
    EXPECT_EQ(got, "Кино|01 - Песня|Группа крови; Кино|Т1|Звезда; Y|Y - Песня|Сборник; .38 "
                   "Special|01 - Hold On Loosely|Wild-Eyed Southern Boys; ");
    const std::string bytes = testutil::readfile(e.native(renamed));
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 30),
              "01 - \xCF\xE5\xF1\xED\xFF" + std::string(20, 0));
    std::u16string artist, title, album, year, trno, genre, tcmp;
    bool picture = false;
    id3v2::readtags(e.t.u16(renamed), artist, title, album, year, trno, genre, tcmp, picture,
                    false);
    EXPECT_EQ(u8(title + u"|" + album), "01 - Песня|Группа крови");
    EXPECT_TRUE(fs::exists(e.native(u"r/- .. (2000)/01.mp3")));
}

// A windows-1251 name read whole (even its runs that also form UTF-8), but for
// the UTF-8 start of a name ended in the code page; a name's control
// characters written as our reader reads them. Proposals, planned tags and
// the disk after Apply (mutagen, the ID3v1 bytes, our reader).
TEST(Apply, ALegacyNameIsReadWholeAndANamesControlCharactersAsTheReaderReadsThem) {
    env e;
    renaming(e);
    const std::u16string kino = u"r/" + cp("Кино - Её (1990)") + u"/01.mp3",
                         aria = u"r/Ария - " + cp("Герой асфальта") + u"/01.mp3",
                         ddt = u"r/ДДТ - Осень (1991)/" + cp("Ці пісні.mp3"),
                         line = u"r/new/01 new\nline.mp3";
    e.mp3(kino, u"|Т1|||1");
    e.mp3(aria, u"|Т2|||1");
    e.mp3(ddt, u"ДДТ||Осень|1991|1");
    e.mp3(line, u"A||B|2000|1");
    std::string asked;
    e.host.fallback = [&](forms::form& f) {
        asked += u8(e.form2.Edit1.text + u"|" + e.form2.Edit2.text) + "; ";
        e.act(f, "Button1");
    };
    e.run();
    EXPECT_EQ(asked, "Кино|Её; Ария|Герой асфальта; ");
    std::string planned;
    for (const checker::oplist& o : e.c.plannedops)
        planned += u8(o.opcode == checker::write_tag ? o.artist + u"|" + o.title + u"|" + o.album
                                                     : checker::lastdir(o.newname)) +
                   "; ";
    EXPECT_EQ(planned, "A - B (2000); A|01 new?line|B; Ария - Герой асфальта; Ария|Т2|Герой "
                       "асфальта; ДДТ|Ці пісні|Осень; Кино - Её (1990); Кино|Т1|Её; ");
    checker::applychanges(e.c);
    EXPECT_EQ(u8(e.form1.ListView1.items.back()), "Все выполнено");

    std::vector<fs::path> files;
    for (const auto& f : {u"r/A - B (2000)/01 new\nline.mp3", u"r/Ария - Герой асфальта/01.mp3",
                          ddt.c_str(), u"r/Кино - Её (1990)/01.mp3"})
        files.push_back(e.native(f));
    auto tags = mp3fixture::mutagenread(files);
    std::string got;
    for (const fs::path& f : files)
        got += tags[f.string()].frames["TIT2"] + "|" + tags[f.string()].frames["TALB"] + "; ";
    EXPECT_EQ(got, "01 new?line|B; Т2|Герой асфальта; Ці пісні|Осень; Т1|Её; ");
    const std::string bytes = testutil::readfile(files[0]);
    EXPECT_EQ(bytes.substr(bytes.size() - 125, 30), "01 new?line" + std::string(19, 0));
    std::u16string artist, title, album, year, trno, genre, tcmp;
    bool picture = false;
    id3v2::readtags(platform::fromnative(files[0].string()), artist, title, album, year, trno,
                    genre, tcmp, picture, false);
    EXPECT_EQ(u8(title), "01 new?line");
}
