// Apply on a drive like exFAT through FUSE, which refuses RENAME_NOREPLACE,
// has no hard links and compares names without case: on ext4 under the
// platform's rename quirks, and on a real exFAT image mounted with exfat-fuse
// where the machine allows it (root, /dev/fuse, a free loop device).
#include <sys/mount.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
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
    EXPECT_EQ(listing, clashes ? "N - M (2003)/01 intro.mp3=another; N - M (2003)/02 Song.mp3=3; "
                                 "N - M (2003)/Intro.mp3=2; Old/01.mp3=4; Queen - Innuendo "
                                 "(1991)/01 Innuendo.mp3=1; Queen - Innuendo (1991)/02 "
                                 "Headlong.mp3=300; "
                               : "N - M (2003)/01 Intro.mp3=2; N - M (2003)/02 Song.mp3=3; "
                                 "P - Q (2001)/01.mp3=4; Queen - Innuendo (1991)/01 "
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

// Apply's report of applyon's collection below `root`.
std::string wanted(const std::string& root, bool clashes) {
    const std::string failed = clashes ? "не удалось переименовать, код ошибки 17|" : "";
    return "Вношу изменения|  N - M (2003): добавление номеров к именам файлов|" + failed +
           "  queen - innuendo (1991): добавление номеров к именам файлов|  переименование ~/" +
           root + "/Old В ~/" + root + "/P - Q (2001)|" + failed + "  переименование ~/" + root +
           "/queen - innuendo (1991) В ~/" + root + "/Queen - Innuendo (1991)|" +
           (clashes ? "Произошли некоторые ошибки" : "Все выполнено");
}

// Runs a command with its output thrown away.
bool quietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// An exFAT image made by mkfs.exfat, attached to a free loop device (exfat-fuse
// run by root wants a block device) and mounted with exfat-fuse at `dir`;
// unmounted and detached at the end, also when a check fails. `lacks` says
// what the machine lacks when it cannot be mounted.
class exfatdrive {
public:
    exfatdrive(const fs::path& image, const fs::path& dir) : dir_(dir) {
        if (geteuid() != 0) {
            lacks = "it needs root to attach a loop device";
            return;
        }
        if (access("/dev/fuse", R_OK | W_OK) != 0) {
            lacks = "there is no /dev/fuse";
            return;
        }
        for (const char* tool : {"mkfs.exfat", "mount.exfat-fuse", "losetup"})
            if (!quietly(std::string("command -v ") + tool)) {
                lacks = std::string(tool) + " is missing (scripts/setup.sh installs it)";
                return;
            }
        fs::create_directories(dir);
        testutil::writefile(image, "");
        fs::resize_file(image, 64 << 20);
        if (!quietly("mkfs.exfat '" + image.string() + "'")) {
            lacks = "mkfs.exfat failed";
            return;
        }
        FILE* p = popen(("losetup -f --show '" + image.string() + "' 2>/dev/null").c_str(), "r");
        char buf[256] = {};
        if (p && fgets(buf, sizeof buf, p)) loop_ = buf;
        if (p && pclose(p) != 0) loop_.clear();
        while (!loop_.empty() && loop_.back() == '\n') loop_.pop_back();
        if (loop_.empty()) {
            lacks = "no loop device is free";
            return;
        }
        mounted_ = quietly("mount.exfat-fuse '" + loop_ + "' '" + dir.string() + "'");
        if (!mounted_) lacks = "mount.exfat-fuse cannot mount " + loop_;
    }
    ~exfatdrive() {
        if (mounted_ && umount2(dir_.c_str(), 0) != 0) umount2(dir_.c_str(), MNT_DETACH);
        if (!loop_.empty()) quietly("losetup -d '" + loop_ + "'");
    }
    exfatdrive(const exfatdrive&) = delete;
    exfatdrive& operator=(const exfatdrive&) = delete;

    std::string lacks;

private:
    fs::path dir_;
    std::string loop_;
    bool mounted_ = false;
};

} // namespace

TEST(Apply, RenamesWhereTheFileSystemLacksTheFlagLinksAndCase) {
    for (const bool clashes : {false, true}) {
        SCOPED_TRACE(clashes ? "clashes" : "clear");
        env e;
        platform::setrenamequirks({true, true});
        const std::string report = applyon(e, u"r", clashes);
        platform::setrenamequirks({});
        EXPECT_EQ(report, wanted("r", clashes));
    }
}

TEST(Apply, RenamesOnARealExfatDriveThroughFuse) {
    for (const bool clashes : {false, true}) {
        SCOPED_TRACE(clashes ? "clashes" : "clear");
        env e;
        const fs::path dir = e.t.path() / "x";
        exfatdrive drive(e.t.path() / "exfat.img", dir);
        if (!drive.lacks.empty())
            GTEST_SKIP() << "no exFAT drive through FUSE here: " << drive.lacks;
        // The drive is what this test claims: FUSE, no RENAME_NOREPLACE, no
        // hard links, names found without case but listed as written.
        struct statfs sf {};
        ASSERT_EQ(statfs(dir.c_str(), &sf), 0);
        ASSERT_EQ(sf.f_type, 0x65735546) << "not mounted through FUSE";
        testutil::writefile(dir / "probe", "p");
        const auto error = [](int r) { return r == 0 ? 0 : errno; };
        ASSERT_EQ(error(renameat2(AT_FDCWD, (dir / "probe").c_str(), AT_FDCWD,
                                  (dir / "other").c_str(), RENAME_NOREPLACE)),
                  EINVAL);
        ASSERT_EQ(error(link((dir / "probe").c_str(), (dir / "other").c_str())), EPERM);
        ASSERT_EQ(testutil::readfile(dir / "PROBE"), "p");
        std::string listed;
        for (const auto& f : fs::directory_iterator(dir)) listed += f.path().filename().string();
        ASSERT_EQ(listed, "probe");
        fs::remove(dir / "probe");

        EXPECT_EQ(applyon(e, u"x/r", clashes), wanted("x/r", clashes));
    }
}
