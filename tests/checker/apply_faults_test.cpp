// Apply where a tag write fails: the failure is a line, the file is left as
// it was, and every other operation still runs.
//
// The tests run as root in CI, where file modes bind nobody; the locked
// folder case applies in a forked child that has become nobody (65534).
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "applyenv.h"
#include "names.h"
#include "progress.h"

using namespace applytest;

namespace {

constexpr uid_t nobody = 65534;
constexpr int skipped = 77;

// Runs `body` in a child process, optionally as nobody, and gives its exit
// status and what it wrote to `out`.
int inchild(const std::function<int(int out)>& body, bool asnobody, std::string& output) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (asnobody && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(skipped);
        _exit(body(fds[1]));
    }
    close(fds[1]);
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) output.append(buf, n);
    close(fds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

lines8 split(const std::string& s) {
    lines8 r;
    std::size_t from = 0;
    for (std::size_t to; (to = s.find('\n', from)) != std::string::npos; from = to + 1)
        r.push_back(s.substr(from, to - from));
    return r;
}

// The line of a file named after its title ("x.mp3", "01 x.mp3": "Tx").
std::string tagline(const std::u16string& name) {
    return "  " + u8(name) + ": (пере)запись id3-тегов -> [P :: Typed :: T" +
           u8(name.substr(name.find(u'.') - 1, 1)) + " :: 2001]";
}

} // namespace

TEST(ApplyFaults, VanishedFileFailsItsWriteAndTheRestGoOn) {
    applyenv e;
    e.keepnames(false);
    e.mp3(u"f/x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1"});
    e.mp3(u"f/y.mp3", {u"P", u"Ty", u"R", u"2001", u"2"});
    e.mp3(u"f/z.mp3", {u"P", u"Tz", u"S", u"2001", u"3"});
    e.unifyall(u"Typed");
    e.run();
    std::vector<std::u16string> order;
    for (const op& o : e.ops())
        if (o.opcode == checker::write_tag) order.push_back(o.newname);
    ASSERT_EQ(order.size(), 3u);
    const std::u16string folder = e.path(u"f"), renamed = e.path(u"P - Typed (2001)");
    fs::remove(e.native(u"f/" + order[1]));

    e.apply();
    EXPECT_EQ(e.applied(),
              (lines8{"Вношу изменения", tagline(order[0]), tagline(order[1]),
                      "не удалось записать тег", tagline(order[2]),
                      "  переименование " + u8(folder) + " В " + u8(renamed), someerrors}));
    e.expectidle();
    std::vector<std::pair<int, std::string>> batches;
    for (const snapshot& s : e.pumped) batches.emplace_back(s.batch, s.label);
    EXPECT_EQ(batches, (std::vector<std::pair<int, std::string>>{
                           {33, "Файл 1 из 3 (" + u8(order[0]) + ")"},
                           {100, "Файл 3 из 3 (" + u8(order[2]) + ")"}}));
    // The rewrites report to no window once Apply is over.
    EXPECT_FALSE(id3v2::currentprogress().barmax);

    EXPECT_FALSE(e.exists(u"P - Typed (2001)/" + order[1]));
    for (const auto& name : {order[0], order[2]})
        EXPECT_EQ(ourreader(e.path(u"P - Typed (2001)/" + name)).album, "Typed");
}

TEST(ApplyFaults, LockedFolderFailsItsWritesAndLeavesTheFilesAsTheyWere) {
    applyenv e;
    e.keepnames(true);
    e.c.cfg.numbering = 1;
    for (std::u16string f : {u"locked", u"open"}) {
        e.mp3(f + u"/01 x.mp3", {u"P", u"Tx", u"Q", u"2001", u"1"});
        e.mp3(f + u"/02 y.mp3", {u"P", u"Ty", u"R", u"2001", u"2"});
    }
    e.mp3(u"A - B (2000)/Intro.mp3", {u"A", u"Intro", u"B", u"2000", u"1"});
    e.unifyall(u"Typed");
    e.run();
    // The locked folder comes second in the walk, so its writes come first.
    std::vector<std::pair<std::u16string, std::u16string>> order;
    for (const op& o : e.ops())
        if (o.opcode == checker::write_tag)
            order.emplace_back(checker::lastdir(o.pathname), o.newname);
    ASSERT_EQ(order.size(), 4u);
    ASSERT_EQ(order[0].first, u"locked");
    ASSERT_EQ(order[1].first, u"locked");

    const bool root = geteuid() == 0;
    std::map<std::u16string, std::string> locked;
    for (std::u16string n : {u"01 x.mp3", u"02 y.mp3"}) {
        e.stamp(u"locked/" + n, 1600000000);
        locked[n] = e.bytes(u"locked/" + n);
    }
    if (root) {
        // Everything is nobody's but the locked folder, which stays root's.
        fs::permissions(e.t.path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        for (const auto& entry : fs::recursive_directory_iterator(e.t.path()))
            ASSERT_EQ(chown(entry.path().c_str(), nobody, nobody), 0);
        ASSERT_EQ(chown(e.native(u"locked").c_str(), 0, 0), 0);
        fs::permissions(e.native(u"locked"), fs::perms::owner_all | fs::perms::group_read |
                                                 fs::perms::group_exec | fs::perms::others_read |
                                                 fs::perms::others_exec);
    } else {
        fs::permissions(e.native(u"locked"), fs::perms::owner_read | fs::perms::owner_exec);
    }

    e.before = e.lines().size();
    std::string output;
    const int status = inchild(
        [&](int out) {
            checker::applychanges(e.c);
            std::string s;
            for (const auto& l : e.applied()) s += l + "\n";
            return write(out, s.data(), s.size()) == static_cast<ssize_t>(s.size()) ? 0 : 1;
        },
        root, output);
    if (status == skipped) GTEST_SKIP() << "cannot become user 65534 to test folder modes";
    ASSERT_EQ(status, 0);

    auto line = [](const std::pair<std::u16string, std::u16string>& f) {
        return tagline(f.second);
    };
    EXPECT_EQ(split(output),
              (lines8{"Вношу изменения", line(order[0]), "не удалось записать тег", line(order[1]),
                      "не удалось записать тег", line(order[2]), line(order[3]),
                      "  A - B (2000): добавление номеров к именам файлов", someerrors}));
    for (std::u16string n : {u"01 x.mp3", u"02 y.mp3"}) {
        SCOPED_TRACE(u8(n));
        EXPECT_EQ(e.bytes(u"locked/" + n), locked[n]);
        EXPECT_EQ(e.mtime(u"locked/" + n), (platform::filetime{1600000000, 123456789}));
        EXPECT_FALSE(e.exists(u"locked/" + n + u"$delme.$$$"));
        EXPECT_EQ(ourreader(e.path(u"open/" + n)).album, "Typed");
        EXPECT_EQ(mutagen({e.path(u"open/" + n)}).begin()->second.frames.at("TALB"), "Typed");
    }
    EXPECT_TRUE(e.exists(u"A - B (2000)/01 Intro.mp3"));
}
