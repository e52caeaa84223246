// Real MP3 files made by lame and ffmpeg, tagged by independent tools
// (mutagen, eyeD3, kid3-cli, ffmpeg). Where our rules and the tool agree, our
// values equal what the tool wrote; where they differ on purpose (ANSI for
// encoding 0, encoding 2 read as single bytes, the year rules) the rules are
// asserted. Carried frames are compared byte for byte with the file.
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <vector>

#include "writehelp.h"

using namespace writehelp;
using namespace std::string_literals;

namespace {

// Writes the tags a JSON spec names with mutagen, then prints what mutagen
// reads back: one "ID<TAB>text" line per text frame, "APIC<TAB>mime<TAB>hex"
// per picture, in the order of the file.
const char* mutagenscript = R"PY(
import json, sys
import mutagen.id3 as id3
path, version, enc = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
spec = json.load(open(sys.argv[4], encoding="utf-8"))
t = id3.ID3()
for fid, text in spec.get("text", []):
    t.add(getattr(id3, fid)(encoding=enc, text=[text]))
for desc, text in spec.get("comm", []):
    t.add(id3.COMM(encoding=enc, lang="eng", desc=desc, text=[text]))
for mime, ptype, desc, data in spec.get("apic", []):
    t.add(id3.APIC(encoding=enc, mime=mime, type=ptype, desc=desc, data=bytes.fromhex(data)))
for owner, data in spec.get("priv", []):
    t.add(id3.PRIV(owner=owner, data=bytes.fromhex(data)))
if version == 3:
    t.update_to_v23()
t.save(path, v2_version=version, v1=2 if spec.get("v1") else 0)
r = id3.ID3(path, load_v1=False, translate=False)
for f in r.values():
    if f.FrameID == "APIC":
        print("APIC\t%s\t%s" % (f.mime, f.data.hex()))
    elif f.FrameID.startswith("T") and f.FrameID != "TXXX":
        print("%s\t%s" % (f.FrameID, f.text[0]))
)PY";

std::string unhex(const std::string& h) {
    std::string b;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        b += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return b;
}

std::string json(const std::string& s) {
    std::string j = "\"";
    for (char c : s) j += c == '"' || c == '\\' ? "\\"s + c : std::string(1, c);
    return j + "\"";
}

struct readback {
    std::map<std::string, std::string> text;                   // the first frame of each ID
    std::vector<std::pair<std::string, std::string>> pictures; // MIME type, bytes
};

class Tools : public ::testing::Test {
protected:
    static inline std::string base; // a small MP3 made by lame, without tags

    static void SetUpTestSuite() {
        testutil::tempdir d;
        base = lamemp3(d, 0.6);
    }

    testutil::tempdir dir;

    void SetUp() override { ASSERT_GT(base.size(), 1000u) << "lame did not make an MP3"; }

    std::string fresh(const std::string& name) {
        testutil::writefile(dir.path() / name, base);
        return (dir.path() / name).string();
    }

    readback mutagen(const std::string& file, int version, int encoding, const std::string& spec) {
        testutil::writefile(dir.path() / "tag.py", mutagenscript);
        testutil::writefile(dir.path() / "spec.json", spec);
        int status = 0;
        const std::string out =
            run("/usr/bin/python3 " + quote((dir.path() / "tag.py").string()) + " " + quote(file) +
                    " " + std::to_string(version) + " " + std::to_string(encoding) + " " +
                    quote((dir.path() / "spec.json").string()),
                status);
        EXPECT_EQ(status, 0) << out;
        readback r;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            const std::size_t tab = line.find('\t');
            if (tab == std::string::npos) continue;
            const std::string id = line.substr(0, tab), rest = line.substr(tab + 1);
            if (id == "APIC") {
                const std::size_t tab2 = rest.find('\t');
                r.pictures.emplace_back(rest.substr(0, tab2), unhex(rest.substr(tab2 + 1)));
            } else {
                r.text.emplace(id, rest);
            }
        }
        seed(file);
        return r;
    }

    // Tagged files are good seeds for the fuzzer too.
    void seed(const std::string& file) {
        testutil::tempdir scratch;
        put(scratch, "tool.mp3", testutil::readfile(file));
    }

    values ours(const std::string& file, bool keepall = true) {
        return read(platform::fromnative(file), keepall);
    }

    // The carried frames as the file holds them, in the stored form.
    static std::string expectedkept(const std::string& file) {
        static const std::string ids =
            " COMM TEXT MCDI USLT SYLT GEOB WOAR WOAF PCNT POPM RBUF LINK AENC "
            "TOPE WXXX TCOM TENC TLAN TPOS ";
        std::string k;
        bool firstpicture = true;
        for (const auto& [id, data] : frames(testutil::readfile(file))) {
            if (id == "APIC" && std::exchange(firstpicture, false)) continue;
            if (id == "APIC" || ids.find(" " + id + " ") != std::string::npos) k += kept(id, data);
        }
        return k;
    }
};

// A picture big enough that its frame size needs every size byte, with the
// byte pairs unsynchronisation cares about.
const std::string jpeg = [] {
    std::string j = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\xFF\xFF\x00\xFF\xDB\x00\x43\x00"s;
    std::uint32_t x = 7;
    while (j.size() < 40000) j += static_cast<char>((x = x * 1664525 + 1013904223) >> 24);
    return j + "\xFF\xD9";
}();
const std::string png = "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x01"s;

std::string fullspec(const std::string& title, const std::string& artist, const std::string& album,
                     bool v1 = false) {
    return R"({"text": [["TIT2", )" + json(title) + R"(], ["TPE1", )" + json(artist) +
           R"(], ["TALB", )" + json(album) +
           R"(], ["TDRC", "1999"], ["TRCK", "3/12"], ["TCON", "Rock"], ["TCMP", "1"],
             ["TPOS", "1/2"], ["TCOM", "Composer"], ["TENC", "Encoder"], ["TXXX", "user"]],
  "comm": [["", "first comment"], ["second", "more"]],
  "apic": [["image/jpeg", 3, "Cover", ")" +
           hex(jpeg) + R"("], ["image/png", 4, "Back", ")" + hex(png) + R"("]],
  "priv": [["owner", "0102"]], "v1": )" +
           (v1 ? "true" : "false") + "}";
}

} // namespace

TEST_F(Tools, MutagenVersions23And24InEveryEncoding) {
    for (auto [version, encoding] : {std::pair{3, 0}, {3, 1}, {4, 0}, {4, 1}, {4, 3}}) {
        SCOPED_TRACE("2." + std::to_string(version) + " encoding " + std::to_string(encoding));
        const std::string f = fresh("m.mp3");
        const bool wide = encoding != 0;
        const readback r = mutagen(f, version, encoding,
                                   fullspec(wide ? "Группа крови" : "Title",
                                            wide ? "Кино" : "Artist", wide ? "Альбом" : "Album"));
        const values v = ours(f);
        std::string theirs;
        for (const char* id :
             {"TPE1", "TIT2", "TALB", version == 3 ? "TYER" : "TDRC", "TRCK", "TCON", "TCMP"})
            theirs += (theirs.empty() ? "" : "|") + r.text.at(id);
        EXPECT_EQ(all(v), theirs);
        EXPECT_TRUE(v.haspicture);
        ASSERT_EQ(r.pictures.size(), 2u);
        ASSERT_TRUE(id3v2::picdata);
        EXPECT_EQ(*id3v2::picdata, r.pictures[0].second);
        EXPECT_EQ(id3v2::picmime, r.pictures[0].first);
        EXPECT_EQ(id3v2::keptframes, expectedkept(f));
        EXPECT_NE(id3v2::keptframes.find("COMM"), std::string::npos);
        EXPECT_EQ(id3v2::keptframes.find("PRIV"), std::string::npos);
        EXPECT_EQ(id3v2::isv24, version == 4);
    }
}

TEST_F(Tools, MutagenBigEndianTextIsReadAsSingleBytes) {
    // Encoding 2 is read byte by byte on purpose: big-endian text that starts
    // below U+0100 begins with a zero byte and gives nothing.
    const std::string f = fresh("be.mp3");
    const readback r = mutagen(f, 4, 2, fullspec("Title", "Artist", "Album"));
    ASSERT_EQ(r.text.at("TIT2"), "Title");
    const values v = ours(f);
    EXPECT_EQ(v.title, "");
    EXPECT_EQ(v.artist, "");
    EXPECT_EQ(v.trno, "");
    // The pictures' descriptions end with 00 00, so the bytes are exact.
    ASSERT_TRUE(id3v2::picdata);
    EXPECT_EQ(*id3v2::picdata, r.pictures.at(0).second);
    EXPECT_EQ(id3v2::keptframes, expectedkept(f));
}

TEST_F(Tools, MutagenLatin1IsReadInTheAnsiCodePage) {
    const std::string f = fresh("latin1.mp3");
    const readback r = mutagen(f, 3, 0, R"({"text": [["TIT2", "Café"], ["TPE1", "Motörhead"]]})");
    ASSERT_EQ(r.text.at("TIT2"), "Café");
    const values v = ours(f);
    EXPECT_EQ(v.title, "Cafй"); // E9 is "й" in windows-1251
    EXPECT_EQ(v.artist, "Motцrhead");
}

TEST_F(Tools, MutagenFullDateAndId3v1) {
    const std::string f = fresh("date.mp3");
    const readback r = mutagen(
        f, 4, 3,
        R"({"text": [["TIT2", "T"], ["TDRC", "2004-05-06"], ["TPE1", "A"], ["TALB", "Al"]], "v1": true})");
    ASSERT_EQ(r.text.at("TDRC"), "2004-05-06");
    // A full date is no number: the year is emptied, and the ID3v1 year (which
    // mutagen wrote as 2004) does not take its place.
    const values v = ours(f);
    EXPECT_EQ(v.year, "");
    EXPECT_EQ(v.title, "T");
    EXPECT_EQ(id3v2::v1tail.size(), 31u);
}

TEST_F(Tools, Kid3Windows1251Id3v1) {
    const std::string f = fresh("kid3.mp3");
    const std::string home = (dir.path() / "home").string();
    int status = 0;
    const std::string out =
        run("HOME=" + quote(home) + " XDG_CONFIG_HOME=" + quote(home) +
                " kid3-cli -c 'config Tag.textEncodingV1 windows-1251' -c 'tag 1'"
                " -c \"set title 'Группа крови'\" -c \"set artist 'Кино'\" -c \"set album 'Звезда "
                "по имени Солнце'\""
                " -c 'set date 1988' -c 'set tracknumber 5' -c 'set genre Rock' -c save " +
                quote(f) + " 2>&1",
            status);
    ASSERT_EQ(status, 0) << out;
    seed(f);
    const std::string block = testutil::readfile(f).substr(testutil::readfile(f).size() - 128);
    ASSERT_EQ(block.substr(0, 3), "TAG");
    const values v = ours(f);
    EXPECT_EQ(all(v), "Кино|Группа крови|Звезда по имени Солнце|1988|5|(17)|");
    EXPECT_EQ(id3v2::v1tail, block.substr(97));
    EXPECT_FALSE(id3v2::hasid3v2);
}

TEST_F(Tools, EyeD3Version23And24) {
    testutil::writefile(dir.path() / "cover.jpg", jpeg);
    for (const char* version : {"--to-v2.3", "--to-v2.4"}) {
        SCOPED_TRACE(version);
        const std::string f = fresh("eyed3.mp3");
        int status = 0;
        const std::string out = run(
            "HOME=" + quote(dir.path().string()) + " eyeD3 --no-color " + version +
                " -t 'Звезда' -a 'Кино' -A 'Album' --recording-date 1988 -n 3 -N 12 -G Rock"
                " --add-comment 'a comment' --add-image " +
                quote((dir.path() / "cover.jpg").string()) + ":FRONT_COVER " + quote(f) + " 2>&1",
            status);
        ASSERT_EQ(status, 0) << out;
        seed(f);
        const values v = ours(f);
        EXPECT_EQ(all(v), "Кино|Звезда|Album|1988|03/12|Rock|"); // the number as eyeD3 writes it
        ASSERT_TRUE(id3v2::picdata);
        EXPECT_EQ(*id3v2::picdata, jpeg);
        EXPECT_EQ(id3v2::picmime, "image/jpeg");
        EXPECT_EQ(id3v2::keptframes, expectedkept(f));
    }
}

TEST_F(Tools, FfmpegEncodedAndTagged) {
    const std::string f = (dir.path() / "ff.mp3").string();
    int status = 0;
    const std::string out = run(
        "ffmpeg -nostdin -loglevel error -f lavfi -i anullsrc=r=44100:cl=mono -t 0.3 -c:a "
        "libmp3lame "
        "-b:a 32k -id3v2_version 3 -write_id3v1 1 -metadata title='Группа крови' -metadata "
        "artist=Kino "
        "-metadata album=Album -metadata date=1988 -metadata track=5/9 -metadata genre=Rock -y " +
            quote(f) + " 2>&1",
        status);
    ASSERT_EQ(status, 0) << out;
    seed(f);
    const values v = ours(f, false);
    EXPECT_EQ(all(v), "Kino|Группа крови|Album|1988|5/9|Rock|");
    EXPECT_FALSE(v.haspicture);
    EXPECT_EQ(id3v2::v1tail.size(), 31u);
}

TEST_F(Tools, UntaggedEncoderOutput) {
    const values v = ours(fresh("plain.mp3"));
    EXPECT_EQ(all(v), "||||||");
    EXPECT_FALSE(id3v2::hasid3v2);
    EXPECT_TRUE(id3v2::v1tail.empty());
}
