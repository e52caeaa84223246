// The tag library's module state: one file at a time.
#include "id3v2.h"

namespace id3v2 {

std::optional<std::string> picdata;
std::int32_t piclen = 0;
std::string picmime;
std::string keptframes;
std::string v1tail;
bool hasid3v2 = false;
std::int32_t tagsize = 0;
bool isv24 = false;
std::string tagbuf;
std::int32_t tagpos = 0;
std::string workbuf;
char frameid[5] = {};
std::int32_t framesize = 0;

} // namespace id3v2
