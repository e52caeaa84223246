// Apply on a drive like exFAT through FUSE, which refuses RENAME_NOREPLACE,
// has no hard links and compares names without case: on ext4 under the
// platform's rename quirks, and on a real exFAT image mounted with exfat-fuse
// where the machine allows it (root, /dev/fuse, a free loop device).
#include <linux/magic.h>
#include <sys/mount.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <fcntl.h>
#include <map>
#include <set>

#include "apply.h"
#include "env.h"

using namespace checkertest;

namespace {

// A collection below `root` whose run proposes a change of case of a
// folder's name, numbering, and a folder rename. With `clashes`, entries
// made since the run take two targets under another spelling: those two
// renames must fail and replace nothing. Returns Apply's report; checks the
// files left and every byte of their audio.
std::string applyon(env& e, const std::u16string& root, bool clashes) {
    e.form1.CheckBox3.checked = false;
    e.c.cfg.numbering = 1;
    e.form1.Label1.caption = e.t.u16(root);
    const std::u16string queen = root + u"/queen - innuendo (1991)/", nm = root + u"/N - M (2003)/";
    e.mp3(queen + u"Innuendo.mp3", u"Queen|Innuendo|Innuendo|1991|1");
    e.mp3(queen + u"Headlong.mp3", u"Queen|Headlong|Innuendo|1991|2", 300);
    e.mp3(nm + u"Intro.mp3", u"N|Intro|M|2003|1", 2);
    e.mp3(nm + u"Song.mp3", u"N|Song|M|2003|2", 3);
    e.mp3(root + u"/Old/01.mp3", u"P|Tp|Q|2001|1", 4);
    e.run();
    if (clashes) {
        e.file(nm + u"01 intro.mp3", "another");
        std::filesystem::create_directory(e.native(root + u"/p - q (2001)"));
    }
    const std::size_t before = e.form1.ListView1.items.size();
    checker::applychanges(e.c);

    // Each file with its audio whole, by the copies of lame's audio it holds.
    std::map<std::string, std::string> files;
    const fs::path top = e.native(root);
    for (const auto& f : fs::recursive_directory_iterator(top)) {
        if (!f.is_regular_file()) continue;
        const std::string bytes = testutil::readfile(f.path());
        std::string audio, copies = "0";
        for (int n = 1; n <= 300; ++n)
            if (bytes.find(audio += mp3fixture::basemp3()) != std::string::npos)
                copies = std::to_string(n);
        files[fs::relative(f.path(), top).string()] = bytes == "another" ? bytes : copies;
    }
    std::string listing;
    for (const auto& [name, audio] : files) listing += name + "=" + audio + "; ";
    const std::string nmfiles = "N - M (2003)/01 Intro.mp3=2; N - M (2003)/02 Song.mp3=3; ";
    EXPECT_EQ(listing, clashes ? "N - M (2003)/01 intro.mp3=another; N - M (2003)/02 Song.mp3=3; "
                                 "N - M (2003)/Intro.mp3=2; Old/01.mp3=4; Queen - Innuendo "
                                 "(1991)/01 Innuendo.mp3=1; Queen - Innuendo (1991)/02 "
                                 "Headlong.mp3=300; "
                               : nmfiles + "P - Q (2001)/01.mp3=4; Queen - Innuendo (1991)/01 "
                                           "Innuendo.mp3=1; Queen - Innuendo (1991)/02 "
                                           "Headlong.mp3=300; ");
    // The folders as the drive lists them: the new spelling only.
    std::set<std::string> folders;
    for (const auto& f : fs::directory_iterator(top)) folders.insert(f.path().filename());
    std::string names;
    for (const auto& f : folders) names += f + "; ";
    EXPECT_EQ(names, clashes ? "N - M (2003); Old; Queen - Innuendo (1991); p - q (2001); "
                             : "N - M (2003); P - Q (2001); Queen - Innuendo (1991); ");
    return e.report(before);
}

} // namespace

TEST(Apply, RenamesWhereTheFileSystemLacksTheFlagLinksAndCase) {
    for (const bool clashes : {false, true}) {
        SCOPED_TRACE(clashes ? "clashes" : "clear");
        env e;
        platform::setrenamequirks({true, true});
        const std::string report = applyon(e, u"r", clashes);
        platform::setrenamequirks({});
        const std::string failed = clashes ? "не удалось переименовать, код ошибки 17|" : "";
        EXPECT_EQ(report, "Вношу изменения|  N - M (2003): добавление номеров к именам файлов|" +
                              failed +
                              "  queen - innuendo (1991): добавление номеров к именам файлов|  "
                              "переименование ~/r/Old В ~/r/P - Q (2001)|" +
                              failed +
                              "  переименование ~/r/queen - innuendo (1991) В ~/r/Queen - "
                              "Innuendo (1991)|" +
                              (clashes ? "Произошли некоторые ошибки" : "Все выполнено"));
    }
}
