// What we write, read back by tools that are not ours: real MP3 files from
// lame and ffmpeg, tagged by mutagen, eyeD3, kid3-cli and ffmpeg, rewritten,
// then read by mutagen (the tag, frame by frame) and ffprobe (the audio);
// and the test files of other tag libraries' suites, rewritten one by one.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "writehelp.h"

using namespace writehelp;
using namespace std::string_literals;

namespace {

// One line per fact: "version", "padding", then per frame in file order
// "F<TAB>ID<TAB>encoding<TAB>details", then "V1<TAB>ID<TAB>text" for the
// ID3v1 block. For several paths, one "file" line before each.
const char* dumpscript = R"PY(
import sys
import mutagen.id3 as id3
for path in sys.argv[1:]:
    print("file\t" + path)
    try:
        t = id3.ID3(path, translate=False, load_v1=False)
    except Exception as e:
        print("error\t" + type(e).__name__)
        continue
    print("version\t%d.%d.%d" % t.version)
    print("padding\t%d" % t._padding)
    for f in t.values():
        enc = str(int(f.encoding)) if hasattr(f, "encoding") else "-"
        if f.FrameID == "APIC":
            d = "%s|%d|%s|%s" % (f.mime, f.type, f.desc, f.data.hex())
        elif f.FrameID == "COMM":
            d = "%s|%s|%s" % (f.lang, f.desc, "/".join(f.text))
        elif hasattr(f, "text"):
            d = "/".join(str(x) for x in f.text)
        else:
            d = ""
        print("F\t%s\t%s\t%s" % (f.FrameID, enc, d))
    with open(path, "rb") as fh:
        data = fh.read()
    v1 = id3.ParseID3v1(data[-128:]) if len(data) >= 128 else None
    for k, v in sorted((v1 or {}).items()):
        print("V1\t%s\t%s" % (k, "/".join(str(x) for x in v.text)))
)PY";

struct dumped {
    std::string version, padding, error;
    std::vector<std::vector<std::string>> frames; // ID, encoding, details
    std::map<std::string, std::string> v1;
};

std::vector<std::string> split(const std::string& line, char sep, std::size_t parts) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (out.size() + 1 < parts) {
        const std::size_t next = line.find(sep, pos);
        if (next == std::string::npos) break;
        out.push_back(line.substr(pos, next - pos));
        pos = next + 1;
    }
    out.push_back(line.substr(pos));
    return out;
}

class Readback : public ::testing::Test {
protected:
    testutil::tempdir dir;
    static inline std::string base; // two seconds of a tone from lame, untagged

    static void SetUpTestSuite() {
        testutil::tempdir d;
        base = lamemp3(d, 2.0);
    }
    void SetUp() override { ASSERT_GT(base.size(), 4000u) << "lame did not make an MP3"; }

    std::string path(const std::string& name) { return (dir.path() / name).string(); }
    std::string fresh(const std::string& name, const std::string& bytes = base) {
        testutil::writefile(dir.path() / name, bytes);
        return path(name);
    }

    std::map<std::string, dumped> mutagen(const std::vector<std::string>& paths) {
        testutil::writefile(dir.path() / "dump.py", dumpscript);
        std::string command = "/usr/bin/python3 " + quote(path("dump.py"));
        for (const std::string& p : paths) command += " " + quote(p);
        int status = 0;
        const std::string out = run(command + " 2>&1", status);
        EXPECT_EQ(status, 0) << out;
        std::map<std::string, dumped> all;
        dumped* d = nullptr;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            const auto f = split(line, '\t', 4);
            if (f[0] == "file") d = &all[f.at(1)];
            if (!d) continue;
            if (f[0] == "error") d->error = f.at(1);
            if (f[0] == "version") d->version = f.at(1);
            if (f[0] == "padding") d->padding = f.at(1);
            if (f[0] == "F") d->frames.push_back({f.at(1), f.at(2), f.at(3)});
            if (f[0] == "V1") d->v1[f.at(1)] = split(line, '\t', 3).at(2);
        }
        return all;
    }
    dumped mutagen(const std::string& p) { return mutagen(std::vector<std::string>{p})[p]; }

    std::string tool(const std::string& command) {
        int status = 0;
        const std::string out =
            run("HOME=" + quote(dir.path().string()) + " " + command + " 2>&1", status);
        EXPECT_EQ(status, 0) << command << "\n" << out;
        return out;
    }

    // Rewrites a copy of a tagged file and checks what every rewrite must
    // give, whatever the source: a version 2.3.0 tag without padding whose
    // own frames are UTF-16 with FF FE in our order and whose other frames
    // are the old file's carried frames byte for byte, the audio bytes as
    // they were, and as many decoded audio frames.
    dumped check(const std::string& p, const args& a, const std::vector<std::string>& ourids) {
        const std::string old = testutil::readfile(p);
        const long frames = ffprobeframes(p);
        EXPECT_GT(frames, 10);
        read(platform::fromnative(p), true);
        const std::string carried = id3v2::keptframes;
        const bool hadv1 = !id3v2::v1tail.empty();
        EXPECT_TRUE(rewrite(platform::fromnative(p), a));
        const std::string now = testutil::readfile(p);

        const std::size_t oldext = extent(old), newext = extent(now);
        const std::size_t audio = old.size() - oldext - (hadv1 ? 128 : 0);
        EXPECT_EQ(now.size(), newext + audio + 128);
        EXPECT_TRUE(now.compare(newext, audio, old, oldext, audio) == 0) << "audio changed";
        EXPECT_EQ(ffprobeframes(p), frames);

        const auto f = writehelp::frames(now);
        std::string rest;
        std::vector<std::string> ids;
        for (std::size_t i = 0; i < f.size(); ++i) {
            if (i < ourids.size()) {
                ids.push_back(f[i].first);
                if (f[i].first[0] == 'T') {
                    EXPECT_EQ(f[i].second.substr(0, 3), "\x01\xFF\xFE");
                }
            } else {
                rest += kept(f[i].first, f[i].second);
            }
        }
        EXPECT_EQ(ids, ourids);
        EXPECT_EQ(rest, carried);

        const dumped d = mutagen(p);
        EXPECT_EQ(d.version, "2.3.0");
        EXPECT_EQ(d.padding, "0");
        EXPECT_EQ(d.frames.size(), f.size());
        for (std::size_t i = 0; i < d.frames.size() && i < ourids.size(); ++i)
            if (ourids[i][0] == 'T') {
                EXPECT_EQ(d.frames[i][1], "1") << ourids[i];
            }
        return d;
    }
};

const std::string jpeg = [] {
    std::string j = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\xFF\xFF\x00\xFF\xDB\x00\x43\x00"s;
    std::uint32_t x = 11;
    while (j.size() < 30000) j += static_cast<char>((x = x * 1664525 + 1013904223) >> 24);
    return j + "\xFF\xD9";
}();

const std::vector<std::string> alltext = {"TPE1", "TIT2", "TALB", "TYER",
                                          "TRCK", "TCON", "TCMP", "APIC"};

} // namespace

TEST_F(Readback, MutagenVersion24WithEverything) {
    const std::string p = fresh("m24.mp3");
    testutil::writefile(dir.path() / "cover.hex", hex(jpeg));
    tool("/usr/bin/python3 -c " +
         quote("import sys, mutagen.id3 as m\n"
               "t = m.ID3()\n"
               "for c, x in [(m.TIT2, 'Old'), (m.TPE1, 'Old'), (m.TALB, 'Old'), (m.TDRC, '1970'),"
               " (m.TRCK, '2/9'), (m.TCON, 'Rock'), (m.TCMP, '1'), (m.TPOS, '1/2'),"
               " (m.TCOM, 'Композитор'), (m.TXXX, 'user')]:\n"
               "    t.add(c(encoding=3, text=[x]))\n"
               "t.add(m.COMM(encoding=1, lang='rus', desc='', text=['Комментарий']))\n"
               "t.add(m.COMM(encoding=0, lang='eng', desc='more', text=['second']))\n"
               "t.add(m.APIC(encoding=3, mime='image/png', type=6, desc='Обложка',"
               " data=b'\\x89PNG first'))\n"
               "t.add(m.APIC(encoding=0, mime='image/jpeg', type=4, desc='back',"
               " data=bytes.fromhex(open(sys.argv[2]).read())))\n"
               "t.add(m.PRIV(owner='x', data=b'1'))\n"
               "t.save(sys.argv[1], v2_version=4, v1=2)\n") +
         " " + quote(p) + " " + quote(path("cover.hex")));
    args a{u"Кино", u"Группа крови", u"Группа крови", u"1988", u"-1", true, u"5", u""};
    const dumped d = check(p, a, alltext);
    ASSERT_GE(d.frames.size(), 8u);
    const std::vector<std::string> texts = {
        "Кино", "Группа крови", "Группа крови", "1988", "5", "Rock", "1"};
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(d.frames[i][2], texts[i]);
    // The first picture as a front cover without description; the second
    // one, the comments and the carried text frames as they were.
    EXPECT_EQ(d.frames[7][2], "image/png|3||" + hex("\x89PNG first"));
    std::vector<std::string> restids;
    for (std::size_t i = 8; i < d.frames.size(); ++i) restids.push_back(d.frames[i][0]);
    std::sort(restids.begin(), restids.end());
    EXPECT_EQ(restids, (std::vector<std::string>{"APIC", "COMM", "COMM", "TCOM", "TPOS"}));
    for (std::size_t i = 8; i < d.frames.size(); ++i) {
        const std::string& id = d.frames[i][0];
        const std::string& details = d.frames[i][2];
        if (id == "APIC") {
            EXPECT_EQ(details, "image/jpeg|4|back|" + hex(jpeg));
        } else if (id == "TCOM") {
            EXPECT_EQ(details, "Композитор");
        } else if (id == "COMM" && details.find("rus") == 0) {
            EXPECT_EQ(details, "rus||Комментарий");
        }
    }
    // The ID3v1 block: our bytes (ANSI), the old comment and genre, the new
    // track number.
    EXPECT_EQ(d.v1.at("TRCK"), "5");
    EXPECT_EQ(d.v1.at("TDRC"), "1988");
    EXPECT_EQ(d.v1.at("TCON"), "17"); // Rock, kept
    const std::string now = testutil::readfile(p);
    EXPECT_EQ(now.substr(now.size() - 125, 30), cp1251("Группа крови") + std::string(18, '\0'));
    EXPECT_EQ(now.substr(now.size() - 95, 30), cp1251("Кино") + std::string(26, '\0'));
}

TEST_F(Readback, EyeD3Version23WithPicture) {
    const std::string p = fresh("eyed3.mp3");
    testutil::writefile(dir.path() / "cover.jpg", jpeg);
    testutil::writefile(dir.path() / "lyrics.txt", "la la la");
    tool("eyeD3 --no-color --to-v2.3 -t 'Old' -a 'Old' -A 'Old' -n 3 -G Jazz --add-comment "
         "'a comment' --add-lyrics " +
         quote(path("lyrics.txt")) + " --add-image " + quote(path("cover.jpg")) +
         ":FRONT_COVER:desc " + quote(p));
    // No TCMP stored, none written.
    const dumped d = check(p, {u"Artist", u"Title", u"Album", u"2001"},
                           {"TPE1", "TIT2", "TALB", "TYER", "TRCK", "TCON", "APIC"});
    ASSERT_GE(d.frames.size(), 9u);
    EXPECT_EQ(d.frames[4][2], "03"); // as eyeD3 wrote it
    EXPECT_EQ(d.frames[5][2], "Jazz");
    EXPECT_EQ(d.frames[6][2], "image/jpeg|3||" + hex(jpeg));
    EXPECT_EQ(d.frames[7][0] + d.frames[8][0], "COMMUSLT");
    // No ID3v1 before: one appended with the genre byte 255.
    EXPECT_EQ(d.v1.at("TIT2"), "Title");
    EXPECT_EQ(d.v1.count("TCON"), 0u);
}

TEST_F(Readback, FfmpegTaggedVersion24AndKid3Id3v1Only) {
    const std::string p = path("ff.mp3");
    tool("ffmpeg -nostdin -loglevel error -f lavfi -i 'sine=frequency=300' -t 1.5 -ac 1 -c:a "
         "libmp3lame -b:a 48k -id3v2_version 4 -write_id3v1 1 -metadata title=Old -metadata "
         "artist=Old -metadata track=4 -metadata genre=Pop -y " +
         quote(p));
    const dumped d = check(p, {u"Artist", u"Title", u"", u"1999", u"", true, u"7/12", u"1"},
                           {"TPE1", "TIT2", "TYER", "TRCK", "TCMP"});
    EXPECT_EQ(d.v1.at("TRCK"), "4"); // the track byte is left: "7/12" is no number
    EXPECT_EQ(d.v1.at("TCON"), "0"); // the genre changed

    // ID3v1 only: the copy starts at byte 0 and the block is overwritten.
    const std::string q = fresh("kid3.mp3");
    const std::string home = path("home");
    tool("XDG_CONFIG_HOME=" + quote(home) +
         " kid3-cli -c 'tag 1' -c \"set title 'Old'\" -c 'set tracknumber 5' -c 'set genre Rock'"
         " -c save " +
         quote(q));
    const dumped k = check(q, {u"Artist", u"Title", u"Album", u"1999"},
                           {"TPE1", "TIT2", "TALB", "TYER", "TRCK", "TCON"});
    ASSERT_GE(k.frames.size(), 6u);
    EXPECT_EQ(k.frames[4][2], "5");
    EXPECT_EQ(k.frames[5][2], "(17)");
    EXPECT_EQ(k.v1.at("TCON"), "17");
}

TEST_F(Readback, HandBuiltVersion22) {
    const std::string p =
        fresh("v22.mp3", tag(2, frame22("TT2", text0("Old")) + frame22("COM", "\0eng\0c22"s) +
                                    frame22("PIC", "\0PNG\x03\0first"s) +
                                    frame22("PIC", "\0JPG\x04"
                                                   "back\0"s +
                                                       jpeg) +
                                    std::string(300, '\0')) +
                             base);
    const dumped d =
        check(p, {u"A", u"T", u"Al", u"1990"}, {"TPE1", "TIT2", "TALB", "TYER", "APIC"});
    ASSERT_EQ(d.frames.size(), 7u);
    EXPECT_EQ(d.frames[4][2], "image/png|3||" + hex("first"));
    EXPECT_EQ(d.frames[5][2], "eng||c22");
    EXPECT_EQ(d.frames[6][2], "JPG|4|back|" + hex(jpeg));
}

TEST_F(Readback, TheTestFilesOfOtherLibraries) {
    const std::filesystem::path realdir = VORLINDE_REALMP3;
    if (!std::filesystem::is_directory(realdir)) GTEST_SKIP() << "no " << realdir;
    std::vector<std::string> written;
    int refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(realdir)) {
        if (entry.path().extension() == ".md") continue;
        const std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        const std::string old = testutil::readfile(entry.path());
        const std::string p = fresh(name, old);
        const std::u16string u = platform::fromnative(p);
        read(u, true);
        const std::size_t skip = id3v2::hasid3v2 ? 10 + std::size_t(id3v2::tagsize) : 0;
        if (!rewrite(u, {u"Artist", u"Title", u"Album", u"1999"})) {
            // Only a tag that claims more than the file holds is refused.
            ++refused;
            EXPECT_GT(skip, old.size());
            EXPECT_EQ(testutil::readfile(p), old);
            continue;
        }
        ASSERT_LE(skip, old.size());
        const std::string now = testutil::readfile(p);
        const std::size_t newext = extent(now), rest = old.size() - skip;
        // Every byte behind the old tag, but for an ID3v1 block overwritten
        // in place at the end.
        ASSERT_TRUE(now.size() == newext + rest || now.size() == newext + rest + 128);
        const std::size_t same = now.size() == newext + rest && rest >= 128 ? rest - 128 : rest;
        EXPECT_TRUE(now.compare(newext, same, old, skip, same) == 0);
        const values v = read(u);
        EXPECT_EQ(v.title + v.artist + v.album + v.year, "TitleArtistAlbum1999");
        written.push_back(p);
    }
    EXPECT_GT(written.size(), 60u);
    for (const auto& [p, d] : mutagen(written)) {
        SCOPED_TRACE(p);
        EXPECT_EQ(d.error, "");
        EXPECT_EQ(d.version, "2.3.0");
        EXPECT_EQ(d.padding, "0");
    }
    std::cout << written.size() << " rewritten, " << refused << " refused\n";
}
