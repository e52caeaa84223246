// Whole runs over real folder trees, each twice: the walk, the decisions and
// the dialogs, the lookup on a local HTTP server; the lines and operations.
#include "discogs.h"
#include "env.h"
#include "lookup/testserver.h"

using namespace checkertest;

namespace {

// The closing lines, the root without MP3 files before them, a stop's line.
const std::string end = "\nОбработка окончена. Теперь можно просмотреть запланированные операции.|"
                        "Двойной щелчок на строчке \"Переименовать\" - редактирование "
                        "переименования, правый щелчок - отмена любой операции.|Двойной щелчок на "
                        "пути к папке - вызов редактора тегов.|Правый щелчок на пути к папке - "
                        "отмена всех запланированных для нее операций.\nНажмите \"Применить\" для "
                        "физического выполнения операций или \"Пуск\" для повторной обработки "
                        "дерева папок.\n";
const std::string root = "~| -- нет mp3-файлов" + end;
const std::string stopped = "\nОбработка отменена пользователем\n";

// x lacks its artist and has album Q; y has artist P, album R and the year.
void mixed(env& e, std::u16string f) {
    e.mp3(f + u"/x.mp3", u"|Tx|Q||1");
    e.mp3(f + u"/y.mp3", u"P|Ty|R|2001|2");
}
const std::string mixedlines = "|  Нет исполнителя: x.mp3| -- Найдены расхождения|  Исполнители:|"
                               "      P: 1 трек|  Альбомы:|      Q: 1 трек|      R: 1 трек";
// Two artists, one album: an official compilation.
void hits(env& e, std::u16string f) {
    e.mp3(f + u"/a.mp3", u"X|Ta|Hits|2000|1");
    e.mp3(f + u"/b.mp3", u"Y|Tb|Hits|2000|2");
}
const std::string hitslines = "| -- Возможно, компиляция|  Исполнители:|      X: 1 трек|      Y: 1 "
                              "трек|  Альбомы:|      Hits: 2 трека";
const std::string flagline =
    "|  > (Пере)записать теги  -> Установить флаг iTunes \"Часть сборника\"";

const char* found =
    R"({"results": [{"title": "Silver Lane - Harbour Lights", "resource_url": "{base}/releases/7"}]})";
const char* release =
    R"j({"title": "Harbour Lights", "year": 1999, "artists": [{"name": "Silver Lane (2)"}], "tracklist": [{"position": "1", "title": "Low Tide"}]})j";

const std::vector<scenario> scenarios{
    {"walk; agreeing folders, numbering, names made safe, titles from names",
     [](env& e) {
         e.form1.CheckBox3.checked = false;
         e.c.cfg.numbering = 1;
         fs::create_directories(e.native(u"B/Fake.mp3"));
         e.mp3(u".hidden/X/01.mp3", u"Artist|Song|Album|1999|1");
         e.mp3(u"A - B (2000)/Intro.mp3", u"A|Intro|B|2000|1");
         e.mp3(u"A - B (2000)/Song.mp3", u"A|Song|B|2000|2");
         e.mp3(u"ac.dc - why (1980)/01.mp3", u"AC/DC|Hells Bells|Why?|1980|1");
         e.mp3(u"Artist - Album (2001)/01 - Artist - Intro.mp3", u"Artist||Album|2001|1");
         e.mp3(u"Artist - Album (2001)/02 - Artist - Song.mp3", u"Artist|Song|Album|2001|2");
     },
     {},
     {"~/B/Fake.mp3| -- нет mp3-файлов", "~/B| -- нет mp3-файлов",
      "~/Artist - Album (2001)|  Нет названия трека: 01 - Artist - Intro.mp3|  Исполнитель: "
      "Artist|  Альбом: Album|  Год: 2001|  > (Пере)записать id3-теги -> Заполнить пустые названия "
      "треков",
      "~/ac.dc - why (1980)|  Исполнитель: AC/DC|  Альбом: Why?|  Год: 1980|  > Переименовать "
      "ac.dc - why (1980) В AC.DC - Why. (1980)",
      "~/A - B (2000)|  Исполнитель: A|  Альбом: B|  Год: 2000|  Похоже, файлы не пронумерованы. "
      "Будет исправлено| -- Ok",
      root},
     {"f ~/A - B (2000)/Intro.mp3 ~/A - B (2000)/01 Intro.mp3 ||||| @24",
      "f ~/A - B (2000)/Song.mp3 ~/A - B (2000)/02 Song.mp3 ||||| @24",
      "d ~/ac.dc - why (1980) ~/AC.DC - Why. (1980) ||||-1| @18",
      "t ~/Artist - Album (2001) 01 - Artist - Intro.mp3 Artist|01 - Intro|Album|2001|-1| @12"}},
    {"empty root",
     [](env& e) { e.form1.Label1.caption.clear(); },
     {},
     {"", " -- нет mp3-файлов" + end},
     {}},
    {"unify: yes, asked again while a text is empty, numbers from names, genres, personal, no",
     [](env& e) {
         e.c.cfg.sortorder = 1; // by album
         mixed(e, u"mixed");
         e.mp3(u"numbers/01 x.mp3", u"P|Tx|Q|2001");
         e.mp3(u"numbers/02 y.mp3", u"P|Ty|R|2001");
         for (std::u16string f : {u"genres", u"declined"}) {
             e.mp3(f + u"/1.mp3", u"A|T1|B|1990|1|Rock");
             e.mp3(f + u"/2.mp3", u"A|T2|B|1990|2|Rock");
             e.mp3(f + u"/3.mp3", u"A|T3|B2|1990|3");
         }
         e.mp3(u"retry/x.mp3", u"P|Tx|Q|2001|1");
         e.mp3(u"retry/y.mp3", u"P|Ty|R|2001|2");
         e.mp3(u"mix/a.mp3", u"A2|Ta|Alb2|2000|1");
         e.mp3(u"mix/b.mp3", u"A1||Alb|1998|2");
     },
     {"ComboBox2=;Button1", "ComboBox2=Typed  ;Button1", "Button1",
      "~/mixed|Найдены расхождения. Уравнять теги?|[ ]|[x]|{P} P-|{Q, R} Q|Да|Нет|Стоп|Личная "
      "компиляция => Button1",
      "Button4", "Button1", "Button2"},
     {"~/retry| -- Найдены расхождения|  Исполнители:|      P: 2 трека|  Альбомы:|      Q: 1 трек| "
      "     R: 1 трек|  > (Пере)записать id3-теги -> [P :: Typed :: 2001]",
      "~/numbers| -- Найдены расхождения|  Исполнители:|      P: 2 трека|  Альбомы:|      Q: 1 "
      "трек|      R: 1 трек|  > (Пере)записать id3-теги -> [P :: Q :: 2001]|  Номера треков "
      "отсутствуют или неверны (двойной щелчок на пути к папке, чтобы посмотреть подробности)|  "
      "При перезаписи тега номера треков будут взяты из имен файлов",
      "~/mixed" + mixedlines + "|  > (Пере)записать id3-теги -> [P :: Q :: 2001]",
      "~/mix|  Нет названия трека: b.mp3| -- Найдены расхождения|  Исполнители:|      A2: 1 трек|  "
      "    A1: 1 трек|  Альбомы:|      Alb2: 1 трек|      Alb: 1 трек|  > (Пере)записать теги:  [ "
      "%Исполнитель% :: %Исполнитель% - %Название% :: mix  ::  %Год% ], номера треков "
      "отсортировать по названию альбома",
      "~/genres| -- Найдены расхождения|  Исполнители:|      A: 3 трека|  Альбомы:|      B: 2 "
      "трека|      B2: 1 трек|  > (Пере)записать id3-теги -> [A :: B :: 1990]|  Найдены "
      "расхождения в жанрах (двойной щелчок на пути папки, чтобы посмотреть подробности)|  При "
      "перезаписи тега будет выставлен преобладающий жанр: Rock",
      "~/declined| -- Найдены расхождения|  Исполнители:|      A: 3 трека|  Альбомы:|      B: 2 "
      "трека|      B2: 1 трек",
      root},
     {"t ~/genres 3.mp3 A|T3|B|1990|Rock| @49", "t ~/mix a.mp3 A2|A2 - Ta|mix|2000|-1|1|n=2 @40",
      "t ~/mix b.mp3 A1|A1 - b|mix|1998|-1|1|n=1 @40", "t ~/mixed y.mp3 P|Ty|Q|2001|-1| @29",
      "t ~/numbers 01 x.mp3 P|Tx|Q|2001|-1||n=1 @17",
      "t ~/numbers 02 y.mp3 P|Ty|Q|2001|-1||n=2 @17", "t ~/retry x.mp3 P|Tx|Typed|2001|-1| @8",
      "t ~/retry y.mp3 P|Ty|Typed|2001|-1| @8"}},
    {"unify declined, then the rename confirmation answered with an edit, or stop",
     [](env& e) {
         e.form1.CheckBox3.checked = false;
         for (auto f : {u"m1", u"m0"}) mixed(e, f);
     },
     {"Button2", "Edit2=Other;Button1", "Button2", "Button5"},
     {"~/m1" + mixedlines + "|  > Переименовать m1 В P - Other (2001)",
      "~/m0" + mixedlines + stopped},
     {"d ~/m1 ~/P - Other (2001) ||||-1| @9"}},
    {"official compilations: renamed after the compilation name, or not one; not skipped",
     [](env& e) {
         e.form1.CheckBox3.checked = false;
         e.host.onpump = [&e] { e.form1.CheckBox2.checked = e.host.pumps != 4; };
         e.mp3(u"Z/01.mp3");
         for (auto f : {u"H3", u"H2", u"H0"}) hits(e, f);
     },
     {"Button4",
      "H3: возможно, компиляция|Переименовать папку, используя сведения "
      "ниже?|Исполнитель|Альбом|Год|VA|<-->|Hits|2000|Да|Нет|Discogs|Стоп|НЕ компиляция => Button1",
      "Button6;Button1", "ComboBox1=Y;Button1", "Button3"},
     {"~/Z| -- пропущено",
      "~/H3" + hitslines + flagline + "|  > Переименовать H3 В VA - Hits (2000)",
      "~/H2" + hitslines + flagline +
          "|  > (Пере)записать id3-теги -> [Y :: Hits :: 2000]|  > Переименовать H2 В Y - Hits "
          "(2000)",
      "~/H0" + hitslines + stopped},
     {"d ~/H2 ~/Y - Hits (2000) ||||-1| @23", "t ~/H2 a.mp3 Y|Ta|Hits|2000||1 @22",
      "t ~/H2 a.mp3 Y|Ta|Hits|2000||1 @21", "t ~/H2 b.mp3 Y|Tb|Hits|2000||1 @21",
      "d ~/H3 ~/VA - Hits (2000) ||||-1| @12", "t ~/H3 a.mp3 X|Ta|Hits|2000||1 @11",
      "t ~/H3 b.mp3 Y|Tb|Hits|2000||1 @11"}},
    {"missing data asked until valid, skip, stop; playlists; keep-names box read anew",
     [](env& e) {
         e.form1.CheckBox3.checked = false;
         e.c.cfg.bkpplaylists = 1;
         e.host.onpump = [&e] { e.form1.CheckBox3.checked = e.host.pumps == 3; };
         e.mp3(u"D/01.mp3");
         mixed(e, u"C");
         e.mp3(u"Band - Record/a.mp3", u"|Ta|Record||1");
         e.mp3(u"Band - Record/b.mp3", u"|Tb|Record||2");
         e.mp3(u"Band - Live 1999 [FLAC]/a.mp3", u"|Ta||-199|1");
         e.mp3(u"B/01.mp3", u"|T|Alb|2000|1");
         e.file(u"B/b.m3u");
         fs::create_directories(e.native(u"B/x.m3u")); // no playlist
     },
     {"Button4", "Button2", "Button2", "Edit3=19x9;Button1", "Edit3=1999;Button1",
      "Band - Live 1999 [FLAC]: нет альбома и исполнителя|Band - Live 1999 [FLAC]: нет года (Ok - "
      "оставить пустым)|Исполнитель|Альбом|Год|Band|<-->|Live 1999|-199|Ok|Discogs|>> Пропуск|Стоп "
      "=> Button1",
      "Edit3=;Button1", "Button5"},
     {"~/D| -- пропущено", "~/C" + mixedlines,
      "~/Band - Record|  Нет исполнителя: b.mp3|  Нет исполнителя: a.mp3|  Исполнитель: Band|  "
      "Альбом: Record|  Год: 1999|  > (Пере)записать id3-теги -> [Band :: Record :: 1999]",
      "~/Band - Live 1999 [FLAC]|  Нет исполнителя: a.mp3|  Нет альбома: a.mp3|  Исполнитель: "
      "Band|  Альбом: Live 1999|  Год: не найден|  > (Пере)записать id3-теги -> [Band :: Live "
      "1999]|  > Переименовать Band - Live 1999 [FLAC] В Band - Live 1999",
      "~/B/x.m3u| -- нет mp3-файлов",
      "~/B|  Найден плейлист. При копировании в плеер могут продублироваться треки!|  > "
      "Переименовать плейлист" +
          stopped},
     {"m ~/B/b.m3u ~/B/b.m3u.bkp ||||| @35",
      "d ~/Band - Live 1999 [FLAC] ~/Band - Live 1999 ||||-1| @28",
      "t ~/Band - Live 1999 [FLAC] a.mp3 Band|Ta|Live 1999||-1| @27",
      "t ~/Band - Record a.mp3 Band|Ta|Record|1999|-1| @19",
      "t ~/Band - Record b.mp3 Band|Tb|Record|1999|-1| @19"}},
    {"links: loops, links into the tree, a link leaving it followed once",
     [](env& e) {
         e.form1.Label1.caption = e.t.u16(u"root");
         for (auto d : {u"root/A", u"root/B", u"out/S"}) fs::create_directories(e.native(d));
         const char16_t* links[] = {u"root/B/loop", u"root",   u"root/Z",     u"root/A",
                                    u"root/0first", u"root/B", u"root/ext",   u"out",
                                    u"root/ext2",   u"out",    u"out/S/back", u"out",
                                    u"root/broken", u"nowhere"};
         for (int i = 0; i < 14; i += 2)
             fs::create_directory_symlink(e.native(links[i + 1]), e.native(links[i]));
     },
     {},
     {"~/root/ext/S| -- нет mp3-файлов", "~/root/ext| -- нет mp3-файлов",
      "~/root/B| -- нет mp3-файлов", "~/root/A| -- нет mp3-файлов",
      "~/root| -- нет mp3-файлов" + end},
     {}},
    {"release lookup: found, and failing",
     [](env& e) {
         static testutil::testserver server;
         for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
         setenv("VORLINDE_DISCOGS_URL", server.base().c_str(), 1);
         server.route("/releases/7", release);
         e.host.onpump = [&e] {
             server.route("/database/search", e.host.pumps == 2 ? "<html>busy</html>" : found);
         };
         e.mp3(u"unknown/01.mp3", u"|Low Tide|||1");
         e.mp3(u"busy/01.mp3", u"|T|||1");
     },
     {"Button3;Button1", "Button1", "Edit2=Typed;Button3;Button4"},
     {"~/unknown|  Нет исполнителя: 01.mp3|  Нет альбома: 01.mp3|  Исполнитель: Silver Lane|  "
      "Альбом: Harbour Lights|  Год: 1999|  > (Пере)записать id3-теги -> [Silver Lane :: Harbour "
      "Lights :: 1999]",
      "~/busy| -- пропущено", root + "|! Not found or access/parse error"},
     {"t ~/unknown 01.mp3 Silver Lane|Low Tide|Harbour Lights|1999|-1| @7"}},
};

} // namespace

TEST(Runs, Scenarios) {
    for (const scenario& s : scenarios) env().play(s);
}
