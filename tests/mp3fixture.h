// Real MP3 files for tests and the independent tools that judge them: one
// short tone encoded by lame once per test binary, ID3v2.3 tags written and
// read back by mutagen, audio frames counted by ffprobe.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "testutil.h"

namespace mp3fixture {

// The text frames to write; an empty value writes no frame.
struct tags {
    tags(std::u16string artist = {}, std::u16string title = {}, std::u16string album = {},
         std::u16string year = {}, std::u16string trno = {}, std::u16string genre = {},
         std::u16string tcmp = {})
        : artist(std::move(artist)), title(std::move(title)), album(std::move(album)),
          year(std::move(year)), trno(std::move(trno)), genre(std::move(genre)),
          tcmp(std::move(tcmp)) {}
    std::u16string artist, title, album, year, trno, genre, tcmp;
};

// One short mono MP3 made by lame from a generated sine, with no tag.
inline const std::string& basemp3() {
    static std::string bytes;
    static std::once_flag once;
    std::call_once(once, [] {
        testutil::tempdir t;
        std::string pcm; // 16-bit little-endian samples at 8 kHz
        for (int i = 0; i < 4000; ++i) {
            const auto v = static_cast<std::uint16_t>(4000 * std::sin(i / 6.0));
            pcm += {static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
        }
        testutil::writefile(t.path() / "a.pcm", pcm);
        const std::string cmd = "lame --quiet -r -s 8 --bitwidth 16 -m m -b 8 '" +
                                (t.path() / "a.pcm").string() + "' '" +
                                (t.path() / "a.mp3").string() + "' 2>/dev/null";
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("lame failed");
        bytes = testutil::readfile(t.path() / "a.mp3");
        if (bytes.size() < 200) throw std::runtime_error("lame gave no audio");
    });
    return bytes;
}

// Writes the ID3v2.3 tags (UTF-16 text) of many files in one mutagen call.
inline void tagwithmutagen(const std::vector<std::pair<std::filesystem::path, tags>>& files) {
    nlohmann::json todo = nlohmann::json::array();
    for (const auto& [path, tg] : files) {
        nlohmann::json frames = nlohmann::json::object();
        auto put = [&](const char* id, const std::u16string& v) {
            if (!v.empty()) frames[id] = testutil::u8(v);
        };
        put("TPE1", tg.artist);
        put("TIT2", tg.title);
        put("TALB", tg.album);
        put("TYER", tg.year);
        put("TRCK", tg.trno);
        put("TCON", tg.genre);
        put("TCMP", tg.tcmp);
        if (!frames.empty())
            todo.push_back({{"path", testutil::hex(path.string())}, {"frames", frames}});
    }
    if (todo.empty()) return;
    testutil::tempdir t;
    testutil::writefile(t.path() / "todo.json", todo.dump());
    testutil::writefile(t.path() / "tag.py", R"(
import json, os, sys
import mutagen.id3 as id3
for f in json.load(open(sys.argv[1], encoding='utf-8')):
    tag = id3.ID3()
    for k, v in f['frames'].items():
        tag.add(getattr(id3, k)(encoding=1, text=v))
    tag.save(os.fsdecode(bytes.fromhex(f['path'])), v2_version=3)
)");
    const std::string cmd = "/usr/bin/python3 '" + (t.path() / "tag.py").string() + "' '" +
                            (t.path() / "todo.json").string() + "'";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("mutagen failed");
}

// mutagen's reading of the files' ID3v2 tags as stored (no translation to
// version 2.4): the major version and the text frames, several values joined
// by "/"; the padding, every frame in file order as "ID|encoding|content"
// (a picture as "mime|type|description|hex of the bytes", a comment as
// "language|description|text"), and the ID3v1 tag as mutagen maps it. A file
// without an ID3v2 tag is absent from the result.
struct mutagentag {
    int major = 0;
    std::map<std::string, std::string> frames;
    int padding = -1;
    std::vector<std::string> all;
    std::map<std::string, std::string> v1;
};
inline std::map<std::string, mutagentag>
mutagenread(const std::vector<std::filesystem::path>& files) {
    testutil::tempdir t;
    nlohmann::json todo = nlohmann::json::array();
    std::map<std::string, std::string> paths; // the file names go as hex, any bytes
    for (const auto& p : files) {
        const std::string h = testutil::hex(p.string());
        todo.push_back(h);
        paths[h] = p.string();
    }
    testutil::writefile(t.path() / "todo.json", todo.dump());
    testutil::writefile(t.path() / "read.py", R"(
import json, os, sys
import mutagen.id3 as id3
def show(f):
    if f.FrameID == 'APIC': d = '%s|%d|%s|%s' % (f.mime, f.type, f.desc, f.data.hex())
    elif f.FrameID == 'COMM': d = '%s|%s|%s' % (f.lang, f.desc, '/'.join(f.text))
    else: d = '/'.join(str(t) for t in getattr(f, 'text', []))
    return '%s|%d|%s' % (f.FrameID, getattr(f, 'encoding', -1), d)
out = {}
for h in json.load(open(sys.argv[1], encoding='utf-8')):
    p = os.fsdecode(bytes.fromhex(h))
    try:
        tag = id3.ID3(p, translate=False, load_v1=False)
    except id3.ID3NoHeaderError:
        continue
    v1 = id3.ParseID3v1(open(p, 'rb').read()[-128:]) or {}
    out[h] = {'major': tag.version[1], 'padding': tag._padding,
              'frames': {k: '/'.join(str(t) for t in v.text) for k, v in tag.items()
                         if k.startswith('T') and hasattr(v, 'text')},
              'all': [show(f) for f in tag.values()], 'v1': {k: str(v) for k, v in v1.items()}}
json.dump(out, open(sys.argv[2], 'w', encoding='utf-8'))
)");
    const std::string cmd = "/usr/bin/python3 '" + (t.path() / "read.py").string() + "' '" +
                            (t.path() / "todo.json").string() + "' '" +
                            (t.path() / "out.json").string() + "'";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("mutagen failed");
    const auto out = nlohmann::json::parse(testutil::readfile(t.path() / "out.json"));
    std::map<std::string, mutagentag> r;
    for (const auto& [path, tag] : out.items()) {
        mutagentag& m = r[paths.at(path)];
        m.major = tag["major"].get<int>();
        m.padding = tag["padding"].get<int>();
        m.frames = tag["frames"].get<std::map<std::string, std::string>>();
        m.all = tag["all"].get<std::vector<std::string>>();
        m.v1 = tag["v1"].get<std::map<std::string, std::string>>();
    }
    return r;
}
inline mutagentag mutagenread(const std::filesystem::path& file) {
    auto all = mutagenread(std::vector<std::filesystem::path>{file});
    return all.empty() ? mutagentag{} : all.begin()->second;
}

// The audio frames ffprobe decodes in the file; -1 when it fails.
inline long ffprobeframes(const std::filesystem::path& file) {
    const std::string cmd = "ffprobe -v error -count_frames -select_streams a:0 -show_entries "
                            "stream=nb_read_frames -of csv=p=0 '" +
                            file.string() + "' 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return -1;
    char buf[64] = {};
    const bool got = std::fgets(buf, sizeof buf, p) != nullptr;
    if (pclose(p) != 0 || !got) return -1;
    return std::strtol(buf, nullptr, 10);
}

} // namespace mp3fixture
