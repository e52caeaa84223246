// Apply over a whole run of real MP3 files, carried out in a child process
// that becomes user 65534 when the tests run as root (file modes bind no one
// else), so that a locked folder fails its writes: the passes in their order,
// deeper folders first, renames that never replace, a failure line for every
// failed write and rename, the progress window, a renamed root stored, and
// the disk read back.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "apply.h"
#include "env.h"
#include "tform4.h"

using namespace checkertest;

namespace {

// In the child: Apply's lines; at each pump a new state of the progress
// window ("batch label", "!" while the main window is enabled); the file bar
// over z.mp3; then the main window's buttons, the operations left and the
// root shown. Written to `out`, which the parent reads.
void applyinchild(env& e, const fs::path& out) {
    std::string s;
    std::vector<int> bar;
    e.host.onpump = [&] {
        const forms::TForm4& w = *e.c.form4;
        const std::string now = std::to_string(w.ProgressBar1.position) + " " +
                                u8(w.Label1.caption) + (e.form1.enabled || !w.visible ? "!" : "");
        if (!s.ends_with(now + "\n")) s += now + "\n";
        if (now.ends_with("(z.mp3)")) bar.push_back(w.ProgressBar2.position);
    };
    const std::size_t before = e.form1.ListView1.items.size();
    checker::applychanges(e.c);
    s += e.report(before) + "\nbar " + std::to_string(bar.size() > 3 ? bar.front() : -1) + " " +
         std::to_string(std::is_sorted(bar.begin(), bar.end()) ? bar.back() : -1) + "\n" +
         u8(e.form1.Button1.caption) + (e.form1.Button1.enabled ? " on" : " off") +
         (e.form1.Button3.enabled || e.form1.CheckBox5.visible || !e.form1.enabled ? " !" : "") +
         std::to_string(std::distance(e.c.plannedops.begin(), e.c.plannedops.end())) + " " +
         e.tilde(e.form1.Label1.caption);
    testutil::writefile(out, s);
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
    e.mp3(u"r/f/y.mp3", u"P|Ty|R|2001|2|Rock");
    e.mp3(u"r/f/z.mp3", u"P|Tz|S|2001|3/9|Rock", 500); // several blocks: the file bar moves
    e.mp3(u"r/locked/01 x.mp3", u"P|Tx|Q|2001|1");
    e.mp3(u"r/locked/02 y.mp3", u"P|Ty|R|2001|2");
    e.mp3(u"r/N - M (2003)/Intro.mp3", u"N|Intro|M|2003|1");
    e.mp3(u"r/N - M (2003)/Song.mp3", u"N|Song|M|2003|2");
    e.mp3(u"r/Old/01.mp3", u"P|Tp|Q|2001|1");
    e.mp3(u"r/Old/Старый/01.mp3", u"C|Tc|D|2002|1");
    for (auto f : {u"r/Old/list.m3u", u"r/Old/Старый/child.m3u"}) e.file(f);
    e.file(u"r/P - Typed (2001)/keep.txt", "keep");
    e.host.fallback = [&e](forms::form& f) { e.act(f, "ComboBox2=Typed;Button1"); };
    e.run();
    // Since the run a file has gone, another has taken a numbered name, and
    // a line is switched off.
    fs::remove(e.native(u"r/f/y.mp3"));
    e.file(u"r/N - M (2003)/01 Intro.mp3", "another");
    for (checker::oplist& o : e.c.plannedops) o.perform &= o.pathname != e.t.u16(u"r/Old/list.m3u");
    const platform::filetime stamp{1300000000, 123456789};
    for (auto f : {u"r/f/x.mp3", u"r/f/z.mp3"})
        ASSERT_TRUE(platform::setfiletime(e.t.u16(f), stamp));
    const std::string locked = testutil::readfile(e.native(u"r/locked/01 x.mp3"));

    constexpr uid_t nobody = 65534;
    const bool root = geteuid() == 0;
    if (root) { // everything but the locked folder becomes nobody's
        ASSERT_EQ(chown(e.t.path().c_str(), nobody, nobody), 0);
        for (const auto& entry : fs::recursive_directory_iterator(e.t.path()))
            ASSERT_EQ(chown(entry.path().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(e.native(u"r/locked").c_str(), 0, 0), 0);
    } else {
        fs::permissions(e.native(u"r/locked"), fs::perms::owner_write, fs::perm_options::remove);
    }
    const fs::path out = e.t.path() / "out.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        if (root && (setgroups(0, nullptr) || setgid(nobody) || setuid(nobody))) _exit(77);
        applyinchild(e, out);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become 65534";
    EXPECT_EQ(
        testutil::readfile(out),
        "20 Файл 1 из 5 (x.mp3)\n60 Файл 3 из 5 (z.mp3)\nВношу изменения|  x.mp3: (пере)запись "
        "id3-тегов -> [P :: Typed :: Tx :: 2001]|  y.mp3: (пере)запись id3-тегов -> [P :: Typed :: "
        "Ty :: 2001]|не удалось записать тег|  z.mp3: (пере)запись id3-тегов -> [P :: Typed :: Tz "
        ":: 2001]|  01 x.mp3: (пере)запись id3-тегов -> [P :: Typed :: Tx :: 2001]|не удалось "
        "записать тег|  02 y.mp3: (пере)запись id3-тегов -> [P :: Typed :: Ty :: 2001]|не удалось "
        "записать тег|  f: добавление номеров к именам файлов|не удалось переименовать, код ошибки "
        "2|  N - M (2003): добавление номеров к именам файлов|не удалось переименовать, код ошибки "
        "17|  переименование плейлиста: ~/r/Old/Старый/child.m3u|  переименование ~/r/Old/Старый В "
        "~/r/Old/C - D (2002)|  переименование ~/r/f В ~/r/P - Typed (2001)|не удалось "
        "переименовать, код ошибки 17|  переименование ~/r/locked В ~/r/P - Typed (2001)|не "
        "удалось переименовать, код ошибки 17|  переименование ~/r/Old В ~/r/P - Q (2001)|  "
        "переименование ~/r В ~/A - B (2000)|Произошли некоторые ошибки\nbar 0 100\nПуск on0 ~/A - "
        "B (2000)");
    checker::loadcfg(e.c); // the renamed root was stored
    EXPECT_EQ(checker::rootdirtext(e.c.cfg), e.t.u16(u"A - B (2000)"));

    // The rewritten files: the tags as mutagen reads them, the audio whole
    // between the new tags, the times kept.
    const std::u16string dir = u"A - B (2000)/f/";
    std::string frames;
    for (const auto& [path, tag] :
         mp3fixture::mutagenread({e.native(dir + u"01 x.mp3"), e.native(dir + u"03 z.mp3")})) {
        frames += std::to_string(tag.major);
        for (const auto& [id, text] : tag.frames) frames += " " + id + "=" + text;
    }
    EXPECT_EQ(frames, "3 TALB=Typed TCON=Rock TIT2=Tx TPE1=P TRCK=1 TYER=2001"
                      "3 TALB=Typed TCON=Rock TIT2=Tz TPE1=P TRCK=3/9 TYER=2001");
    for (auto [file, copies] : {std::pair{u"01 x.mp3", 1}, {u"03 z.mp3", 500}}) {
        std::string audio, now = testutil::readfile(e.native(dir + file));
        for (int i = 0; i < copies; ++i) audio += mp3fixture::basemp3();
        const std::size_t at = now.find(audio);
        EXPECT_TRUE(at != std::string::npos && now.size() == at + audio.size() + 128 &&
                    now.compare(at + audio.size(), 3, "TAG") == 0)
            << u8(file);
        platform::filetime t;
        EXPECT_TRUE(platform::getfiletime(e.t.u16(dir + file), t) && t == stamp);
    }
    EXPECT_EQ(testutil::readfile(e.native(u"A - B (2000)/locked/01 x.mp3")), locked);
    // Nothing replaced, nothing left behind.
    std::set<std::string> files;
    for (const auto& f : fs::recursive_directory_iterator(e.native(u"A - B (2000)")))
        if (f.is_regular_file()) files.insert(fs::relative(f.path(), e.native(u"A - B (2000)")));
    EXPECT_EQ(files,
              (std::set<std::string>{
                  "01.mp3", "N - M (2003)/01 Intro.mp3", "N - M (2003)/02 Song.mp3",
                  "N - M (2003)/Intro.mp3", "P - Q (2001)/01.mp3",
                  "P - Q (2001)/C - D (2002)/01.mp3", "P - Q (2001)/C - D (2002)/child.m3u.bkp",
                  "P - Q (2001)/list.m3u", "P - Typed (2001)/keep.txt", "f/01 x.mp3", "f/03 z.mp3",
                  "locked/01 x.mp3", "locked/02 y.mp3"}));
}
